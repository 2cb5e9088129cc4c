// Indexing: x(i), x(i,j), x(:), c{i}, s.name, and assignment to each.
#pragma once

#include <string>
#include <vector>

#include "shell/value.h"

namespace zq::shell {

// One subscript: ':' or a value (numbers or a logical mask).
struct Subscript {
  bool colon = false;
  Value value;
};
using Subscripts = std::vector<Subscript>;

// The value of 'end' in subscript position (0-based) of count subscripts.
int endOf(const Value &base, int position, int count);

// base(subs)
Value indexValue(const Value &base, const Subscripts &subs);
// base{subs}: the contents of the selected cells, in order.
Values cellContents(const Value &base, const Subscripts &subs);
// base.name: the field of each structure element, in order.
Values fieldValues(const Value &base, const std::string &name);

// base(subs) = rhs, growing base as needed; rhs [] deletes elements.
// base may be undefined (defined false): the result then takes rhs's class.
void assignIndex(Value &base, bool defined, const Subscripts &subs, const Value &rhs);
// base{subs} = rhs
void assignCell(Value &base, bool defined, const Subscripts &subs, const Value &rhs);
// base.name = rhs (base a structure with one element, or undefined/empty).
void assignField(Value &base, bool defined, const std::string &name, const Value &rhs);

// True when v is the plain empty matrix [] (0x0 double).
bool isPlainEmpty(const Value &v);

}  // namespace zq::shell
