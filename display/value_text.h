// Small texts shared by the printers of characters, cells, structures and
// function handles: character rows, size summaries, the window width and
// the walk over the pages of an N-D container.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/owned.h"
#include "host/qx.h"

namespace zq::display {

// The command window's width as the container printers use it: 1 to 256.
int containerWindowWidth();

// Appends count character codes, stride codes apart, as bytes: code 0
// becomes a blank; in a multibyte character set a code whose high byte is a
// lead byte becomes two bytes (high, low); every other code its low byte.
void appendCharCodes(std::string &out, const qxChar *codes, std::size_t count, std::size_t stride = 1);

// The text of a character row vector (one row, two dimensions, at least one
// character, or none when emptyToo) after the host's translation, or
// nothing for any other value.
std::optional<std::string> charRowText(const qxArray *a, bool emptyToo = false);

// A numeric array with full storage: the array itself, or a full double
// copy of a sparse one ("Out of memory." when the copy fails).
class FullNumeric {
 public:
  explicit FullNumeric(const qxArray *a);
  const qxArray *get() const { return array_; }

 private:
  common::OwnedArray copy_;
  const qxArray *array_;
};

// The text of element i of a full numeric array (formatScalar), leading
// blanks kept.
std::string scalarText(const qxArray *full, std::size_t i);

// A value with one row, two dimensions and at least one element.
bool isRowVector(const qxArray *a);
// A structure or an object: its emptiness is shown by its summary.
bool isStructLike(const qxArray *a);
// Empty and shown by a short mark rather than its summary.
bool isPlainEmpty(const qxArray *a);

// The short mark of an empty value: '' for char, {} for a cell, [] for
// every other class.
const char *emptyMark(const qxArray *a);

// The size summary: "%7d" of the first dimension and "x%d" of each further
// one (Inf for the largest int), or "%7d-D" beyond three dimensions. The
// size of an object comes from the host's size function when it has one.
std::string sizeText(const qxArray *a);

// text without its leading blanks.
std::string_view trimLeading(std::string_view text);

// A size summary split where its parts are aligned: before the "x" (or the
// "-" of "4-D") and from there on. Nothing when it has neither.
struct SizeParts {
  std::string text;  // without leading blanks
  std::size_t split;
};
std::optional<SizeParts> sizeParts(const qxArray *a);

// "[2x3 double]", "{1x2 cell}": the bracketed summary of a value with the
// given class name, or "[Error]" when its size text cannot be split.
std::string bracketedSummary(const qxArray *a, const char *className);

// The frame of the cell and function-handle printers: the "name = " line
// (null name: the array's own), then printEmpty for an empty array, one
// page for a two-dimensional one, or each m-by-n page of an N-D one in
// storage order after its heading, such as "c(:,:,2) = " with the array's
// own name. printPage takes the page's first element index, m and n.
void printContainer(const char *name, const qxArray *a, const std::function<void()> &printEmpty,
                    const std::function<void(std::size_t first, int m, int n)> &printPage);

// Prints the "name = " line of the cell, structure, object and opaque
// printers (with a blank after "=") with the blank lines of loose spacing,
// unless name is "".
void printContainerNameLine(const char *name);

// The empty-container message: "   Empty WHAT: 0-by-3" and so on, with
// the newline string.
void printEmptySizeMessage(const char *what, const qxArray *a);

}  // namespace zq::display
