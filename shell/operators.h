// Arithmetic, comparison and logical operators on values.
#pragma once

#include "shell/ast.h"
#include "shell/value.h"

namespace zq::shell {

// Unary operators: - + ~ ' .'
Value unaryOp(Op op, const Value &a);
// Binary operators except && and || (which the evaluator short-circuits).
Value binaryOp(Op op, const Value &a, const Value &b);
// An element-wise function of two operands (expanded to a common size),
// stored in the arithmetic result class.
Value binaryMap(const Value &a, const Value &b, double (*fn)(double, double));
// An element-wise function of the real (and imaginary) parts, keeping the
// class; complex values map both parts unless magnitude is set (abs).
Value unaryMap(const Value &a, double (*fn)(double), bool magnitude = false);
// The transpose of a 2-D value of any class (conjugated when asked).
Value transpose(const Value &a, bool conjugate);

}  // namespace zq::shell
