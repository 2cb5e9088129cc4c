// Class-independent array building blocks: new arrays shaped like others,
// copying elements between arrays of one class, gathering elements by
// index, and concatenation. Indexing, transposes, reshapes and [ ] are
// all written on these.
#pragma once

#include <vector>

#include "shell/value.h"

namespace zq::shell {

// A new array of the class of like (fields and class name included), with
// the dimensions, zeroed or empty elements, complex when asked.
qxArray *newLike(const qxArray *like, const std::vector<int> &dims, bool complex);

// Copies count elements from src (from srcIndex) to dst (from dstIndex);
// both arrays have one class. Cells and structures get copies of their
// element arrays; structure fields are matched by name.
void copyElements(qxArray *dst, int dstIndex, const qxArray *src, int srcIndex, int count);

// A new array of src's class with the dimensions whose k-th element is the
// element indices[k] of src (0-based).
Value gather(const Value &src, const std::vector<int> &dims, const std::vector<int> &indices);

// Concatenation along dim (0-based) after converting every operand to a
// common class; empty 0x0 operands are skipped.
Value concatenate(const Values &parts, int dim);

// The class that a concatenation or an assignment of these classes gives.
int commonClass(const Values &parts);

// Number of elements of dims, raising when it exceeds the int range or
// the machine's memory.
int checkedCount(const std::vector<int> &dims);
// Raises when that many doubles would not fit in the machine's memory.
void checkElementBudget(double elements);
// Lowers that limit to n elements (for running untrusted scripts, such as
// fuzzed ones, where one statement must stay quick); 0 restores the
// machine's own.
void limitElements(double n);
// Under such a limit, raises when v with everything its cells and
// structures hold counts more elements than the limit: storing a
// structure in itself doubles it at every step, far beyond any limit on
// one array. Nothing is counted without a limit.
void checkHeldElements(const Value &v);

}  // namespace zq::shell
