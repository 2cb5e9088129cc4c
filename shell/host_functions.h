// The shell's own functions (those the interpreter provides besides the
// library's builtins), grouped by file. findHostFunction (evaluator.h)
// looks them up in one table.
#pragma once

#include "shell/evaluator.h"

namespace zq::shell::host {

// Argument checks shared by the host functions.
void checkCount(const Values &args, int minIn, int maxIn, int nargout, int maxOut);

// host_construct.cpp: constants and constructors.
Values pi(Evaluator &, int, Values &);
Values eps(Evaluator &, int, Values &);
Values inf(Evaluator &, int, Values &);
Values nan(Evaluator &, int, Values &);
Values imagUnit(Evaluator &, int, Values &);
Values trueFn(Evaluator &, int, Values &);
Values falseFn(Evaluator &, int, Values &);
Values zeros(Evaluator &, int, Values &);
Values ones(Evaluator &, int, Values &);
Values eye(Evaluator &, int, Values &);
Values cell(Evaluator &, int, Values &);
Values structFn(Evaluator &, int, Values &);
Values reshape(Evaluator &, int, Values &);
Values cat(Evaluator &, int, Values &);
Values sparse(Evaluator &, int, Values &);
Values full(Evaluator &, int, Values &);
Values complex(Evaluator &, int, Values &);
Values logical(Evaluator &, int, Values &);

// host_math.cpp: element-wise math and reductions.
Values real(Evaluator &, int, Values &);
Values imag(Evaluator &, int, Values &);
Values abs(Evaluator &, int, Values &);
Values floor(Evaluator &, int, Values &);
Values ceil(Evaluator &, int, Values &);
Values round(Evaluator &, int, Values &);
Values fix(Evaluator &, int, Values &);
Values mod(Evaluator &, int, Values &);
Values sum(Evaluator &, int, Values &);
Values any(Evaluator &, int, Values &);
Values all(Evaluator &, int, Values &);
Values isequal(Evaluator &, int, Values &);

// host_functions.cpp: queries and session functions.
Values size(Evaluator &, int, Values &);
Values numel(Evaluator &, int, Values &);
Values ndims(Evaluator &, int, Values &);
Values length(Evaluator &, int, Values &);
Values classFn(Evaluator &, int, Values &);
Values isempty(Evaluator &, int, Values &);
Values fieldnames(Evaluator &, int, Values &);
Values isfield(Evaluator &, int, Values &);
Values feval(Evaluator &, int, Values &);
Values error(Evaluator &, int, Values &);
Values clear(Evaluator &, int, Values &);
Values who(Evaluator &, int, Values &);
Values global(Evaluator &, int, Values &);
Values exist(Evaluator &, int, Values &);
Values whos(Evaluator &, int, Values &);

// help.cpp: the help command.
Values help(Evaluator &, int, Values &);
Values exit(Evaluator &, int, Values &);

// host_classes.cpp: values of user classes.
Values zqobject(Evaluator &, int, Values &);
Values zqopaque(Evaluator &, int, Values &);

}  // namespace zq::shell::host
