// The interactive prompt of zq: line editing, tab completion and history
// through libedit at a terminal, plain line reading from a pipe.
#pragma once

#include "shell/session.h"

namespace zq::shell {

// Reads statements until end of input or exit, running each complete one
// (more lines are read while a bracket or block is open) with keep-going
// semantics.
void runPrompt(Session &session);

}  // namespace zq::shell
