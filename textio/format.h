// Format strings of the formatted-text operations: escape translation, the
// cutting of a format into pieces (literal runs and single directives) and
// the two directive grammars, one for output and one for input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fileio/error_codes.h"

namespace zq::textio {

// The error codes of the engines are the file-I/O codes (kErrNone,
// kErrInvalidFormat, ...), named here without their namespace.
using enum fileio::ErrorCode;

// Translates backslash escapes of text in place. A NUL produced by an
// escape ends the text there. Returns false when an escape was invalid; the
// text is then cut where the translation stopped.
bool translateEscapes(std::string &text);

// Flag bits of a directive.
enum Flag : uint8_t { kLeft = 1, kPlus = 2, kBlank = 4, kAlternate = 8, kZero = 16 };

// Size modifier of a directive: h, l, t (bit pattern of the single) and b
// (bit pattern of the double).
enum class Modifier : uint8_t { kNone, kShort, kLong, kSingleBits, kDoubleBits };

// Where a width or precision comes from.
enum class Source : int8_t { kNone = -1, kFormat = 0, kData = -2 };

// Conversions of the output grammar, in the order of the routine table
// (kC stays last: the table checks its size against it).
enum class OutConversion : uint8_t { kLiteral, kD, kI, kO, kU, kX, kFloat, kS, kC };

// What an output directive still has to draw from the data.
enum class OutState : uint8_t {
  kEmpty = 0,          // no piece held
  kReady = 1,          // the value is all that is missing
  kNeedPrecision = 2,  // precision still to be drawn
  kNeedWidth = 3,      // width still to be drawn
  kNeedBoth = 4,       // width and then precision still to be drawn
};

// One piece of an output format: a literal run or one directive.
struct OutputDirective {
  OutConversion conversion = OutConversion::kLiteral;
  Modifier modifier = Modifier::kNone;
  char letter = 0;        // conversion letter as written
  uint8_t flags = 0;      // Flag bits
  uint8_t wordFlags = 0;  // flags seen before the first '0' (NaN and infinities)
  Source widthSource = Source::kNone;
  int width = 0;
  Source precisionSource = Source::kNone;
  int precision = 0;
  OutState state = OutState::kEmpty;
  std::string_view literal;  // the literal run, "%%" pairs included
};

// Conversions of the input grammar, in the order of the scanner table (kC
// stays last: the table checks its size against it).
enum class InConversion : uint8_t { kLiteral, kD, kI, kO, kU, kX, kFloat, kS, kSet, kC };

// One piece of an input format.
struct InputDirective {
  InConversion conversion = InConversion::kLiteral;
  Modifier modifier = Modifier::kNone;
  char letter = 0;
  bool skip = false;     // '*': read the value and throw it away
  int width = -1;        // -1: none
  std::string_view set;  // members of a scan set, between '[' and ']'
  std::string_view literal;
  char text[32] = {};  // rewritten directive for the system scanner
};

// A format and the position where its next piece begins.
class FormatCursor {
 public:
  explicit FormatCursor(std::string_view format) : format_(format) {}
  bool atEnd() const { return position_ == format_.size(); }
  bool empty() const { return format_.empty(); }
  void rewind() {
    position_ = 0;
    cacheIndex_ = 0;
  }
  // Takes the next piece (the format starts again after its end). Returns
  // kErrNone or kErrInvalidFormat; piece then points at a record that lives
  // as long as the cursor and stays unchanged until the next call.
  int next(const OutputDirective *&piece);
  int next(const InputDirective *&piece);

 private:
  // Moves past a literal run; true when one was found.
  bool takeLiteral(std::string_view &literal);
  template <class Directive>
  int nextPiece(const Directive *&piece, Directive &scratch, std::vector<std::pair<size_t, Directive>> &cache,
                int (*parse)(std::string_view, size_t &, Directive &));
  std::string_view format_;
  size_t position_ = 0;
  // The pieces met so far, in order, each with the position after it: a
  // format used again for every element is parsed only once.
  std::vector<std::pair<size_t, OutputDirective>> outputPieces_;
  std::vector<std::pair<size_t, InputDirective>> inputPieces_;
  size_t cacheIndex_ = 0;
  OutputDirective outputScratch_;  // a piece beyond the cached ones
  InputDirective inputScratch_;
};

// Copies a literal run, each "%%" as one '%', to out (room for run.size()
// bytes); returns the bytes written.
size_t copyLiteral(std::string_view run, char *out);

}  // namespace zq::textio
