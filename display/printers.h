// The value dispatcher of display and disp, and the printers it routes
// values to.
#pragma once

#include "host/qx.h"

namespace zq::display {

// Prints a value by its class. name: the label of the name line; null means
// the array's own name, "" no name line (disp). A null array prints as an
// empty double matrix carrying name.
void printValue(const char *name, const qxArray *a);

// Structures, objects, cells, function handles, opaque values, char arrays
// and arrays of more than two dimensions: everything printValue does not
// send to the numeric printer. Same name convention as printValue.
void printNonNumericValue(const char *name, const qxArray *a);

// A non-empty array of more than two dimensions, page by page.
void printPages(const qxArray *a);

}  // namespace zq::display
