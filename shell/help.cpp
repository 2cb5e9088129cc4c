// The help command: the functions the prompt knows, listed by kind with
// one line each, or the forms of one of them.
#include "shell/help.h"

#include <strings.h>

#include <algorithm>
#include <vector>

#include "host/ut.h"
#include "shell/evaluator.h"
#include "shell/host_functions.h"
#include "zqhost/host.h"

namespace zq::shell {
namespace {

bool isBuiltin(const HelpEntry &e) { return zqhost::findBuiltin(e.name) != nullptr; }

// Names sorted as a reader looks for them: case folded, then by bytes.
bool byName(const HelpEntry *a, const HelpEntry *b) {
  const int folded = strcasecmp(a->name, b->name);
  return folded != 0 ? folded < 0 : std::string_view(a->name) < b->name;
}

void appendSection(std::string &out, const char *title, bool builtins) {
  std::vector<const HelpEntry *> rows;
  for (const HelpEntry &e : helpEntries()) {
    if (isBuiltin(e) == builtins) rows.push_back(&e);
  }
  std::sort(rows.begin(), rows.end(), byName);
  size_t width = 0;
  for (const HelpEntry *e : rows) width = std::max(width, std::string_view(e->name).size());
  out += title;
  out += "\n\n";
  for (const HelpEntry *e : rows) {
    out += "  " + std::string(e->name);
    out.append(width + 2 - std::string_view(e->name).size(), ' ');
    out += e->summary;
    out += '\n';
  }
  out += '\n';
}

}  // namespace

std::string helpListing() {
  std::string out;
  appendSection(out, "Builtins of libzqbuiltins:", true);
  appendSection(out, "Functions of the zq shell:", false);
  out +=
      "help NAME shows the forms of one. Statements end at a newline, ',' or ';'\n"
      "(which hides the result); the language is described in zq(1).\n";
  return out;
}

std::string helpText(const HelpEntry &entry) {
  std::string out = std::string(entry.name) + (isBuiltin(entry) ? " (builtin): " : " (zq shell): ");
  out += entry.summary;
  out += "\n\n";
  std::string_view usage = entry.usage;
  while (!usage.empty()) {
    const size_t end = std::min(usage.find('\n'), usage.size());
    out += "    " + std::string(usage.substr(0, end)) + "\n";
    usage.remove_prefix(std::min(end + 1, usage.size()));
  }
  out += '\n';
  return out;
}

namespace host {

// help: every function with one line; help NAME: the forms of one.
Values help(Evaluator &ev, int nargout, Values &args) {
  checkCount(args, 0, 1, nargout, 0);
  if (args.empty()) {
    utPuts(helpListing().c_str());
    return {};
  }
  const std::string name = textOf(args[0], "The name");
  const HelpEntry *entry = findHelp(name);
  if (entry == nullptr || !ev.isFunction(name)) {
    if (ev.variable(name) != nullptr) zqhost::raise("'" + name + "' is a variable; whos shows it.");
    zqhost::raise("No function is called '" + name + "'; help lists them all.");
  }
  utPuts(helpText(*entry).c_str());
  return {};
}

}  // namespace host
}  // namespace zq::shell
