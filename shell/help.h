// Help at the prompt: one table of usage texts for the library's builtins
// and the shell's host functions (help_table.cpp), and the help command.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace zq::shell {

struct HelpEntry {
  const char *name;
  const char *summary;  // one line
  const char *usage;    // the forms, one per line
};

// Every row of the help table, and the row of a name (null when none).
std::span<const HelpEntry> helpEntries();
const HelpEntry *findHelp(std::string_view name);

// What help prints: the list of every builtin and host function with its
// summary, or the forms of one function.
std::string helpListing();
std::string helpText(const HelpEntry &entry);

}  // namespace zq::shell
