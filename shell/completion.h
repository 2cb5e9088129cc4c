// Tab completion at the prompt, apart from the line editor so that it can
// be tested on its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/session.h"

namespace zq::shell {

// What word, at the end of before (the line up to the cursor), completes
// to: file names (directories ending in '/') when it lies inside a quoted
// string, else the names of variables, builtins and host functions that
// begin with it. Sorted, without duplicates.
std::vector<std::string> completions(Session &session, std::string_view before, std::string_view word);

// True when the end of text lies inside a string literal: a quote opens a
// string unless it follows a name, a closing bracket, a dot or another
// quote (then it transposes).
bool insideString(std::string_view text);

}  // namespace zq::shell
