// The value dispatcher of display and disp, and the printers it routes
// values to. Every printer takes a name: null means the array's own name,
// "" no name line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "host/qx.h"

namespace zq::display {

// Prints a value by its class. A null array prints as an empty double
// matrix carrying name.
void printValue(const char *name, const qxArray *a);

// Structures, objects, cells, function handles, opaque values, char arrays
// and arrays of more than two dimensions: everything printValue does not
// send to the numeric printer.
void printNonNumericValue(const char *name, const qxArray *a);

// A non-empty array of more than two dimensions, page by page, each page
// labelled "A(:,:,k)".
void printPages(const qxArray *a);

// The rows of a char array (every page of an N-D one), unindented; the
// name line only while the header flag is set.
void printCharMatrix(const qxArray *a, const char *name);

// A value of an opaque class: its class name and size.
void printOpaqueValue(const char *name, const qxArray *a);

// An object: its class name and the size its class reports.
void printObject(const char *name, const qxArray *a);

// A cell array: name line, grid pages and the empty-cell messages.
void printCellPages(const char *name, const qxArray *a);
// A structure field by field, or a structure array by its field names.
void printStructure(const char *name, const qxArray *a);
// An array of function handles in pages and window-wide chunks.
void printHandlePages(const char *name, const qxArray *a);

// The inline form of a structure field's value in at most width
// characters, or nothing.
std::optional<std::string> structFieldInlineText(const qxArray *v, std::size_t width);

// The values of a numeric or function-handle vector on one line ("3.1416",
// "[1 2 3]", "[@sin @cos]") in at most width - 2 characters, or nothing.
std::optional<std::string> inlineValues(const qxArray *a, std::size_t width);

}  // namespace zq::display
