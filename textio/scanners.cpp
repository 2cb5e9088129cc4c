// The reading loop of sscanf and fscanf and the scanners that both
// families share: literals, 's', 'c' and scan sets. Numbers are read by the
// source's own family.
#include <array>
#include <cctype>
#include <cstddef>
#include <iterator>

#include "common/interrupt_points.h"
#include "textio/input.h"

namespace zq::textio {
namespace {

bool isBlank(int c) { return c != EOF && std::isspace(c) != 0; }

Step ungetOrStop(InputSource &source, int c) {
  const int code = source.unget(c);
  return code == kErrNone ? Step{} : Step{true, code};
}

// Literal text: a blank matches any run of blanks (none included), "%%"
// matches one '%', any other character itself.
Step scanLiteral(InputSource &source, std::string_view literal) {
  for (size_t i = 0; i < literal.size(); ++i) {
    const int wanted = static_cast<unsigned char>(literal[i]);
    if (wanted == '%') ++i;
    int c = source.get();
    if (isBlank(wanted)) {
      while (isBlank(c)) c = source.get();
      if (c == EOF) return source.endOfInput();
      if (Step s = ungetOrStop(source, c); s.stop) return s;
      continue;
    }
    if (c == EOF) return source.endOfInput();
    if (c != wanted) {
      if (Step s = ungetOrStop(source, c); s.stop) return s;
      return {true, kErrMatchingFailure};
    }
  }
  return {};
}

// The members of a scan set: single characters and ranges a-z (either
// order); a '-' first or last is a member; a leading '^' negates the set.
std::array<bool, 256> scanSetMembers(std::string_view set) {
  std::array<bool, 256> members{};
  const bool negated = !set.empty() && set[0] == '^';
  if (negated) set.remove_prefix(1);
  for (size_t i = 0; i < set.size();) {
    unsigned char low = static_cast<unsigned char>(set[i]);
    unsigned char high = low;
    if (i + 2 < set.size() && set[i + 1] == '-') {
      high = static_cast<unsigned char>(set[i + 2]);
      if (high < low) std::swap(low, high);
      i += 3;
    } else {
      ++i;
    }
    for (unsigned c = low; c <= high; ++c) members[c] = true;
  }
  if (negated) {
    for (bool &m : members) m = !m;
  }
  return members;
}

// Stores one character of 's', 'c' or a scan set.
void storeCharacter(ScanResult &result, const InputDirective &d, int c) {
  if (!d.skip) result.values.push(c);
}

// Ends a character directive that took stored characters: it counts once.
Step finishCharacters(ScanResult &result, const InputDirective &d, size_t taken, Step step = {}) {
  if (taken > 0 && !d.skip) ++result.count;
  return step;
}

// 's': skips blanks, then takes characters up to a blank, the end of input
// or the width.
Step scanString(InputSource &source, const InputDirective &d, ScanResult &result) {
  int c = source.get();
  while (isBlank(c)) c = source.get();
  size_t taken = 0;
  for (;; c = source.get()) {
    if (c == EOF) return finishCharacters(result, d, taken, source.endOfInput());
    if (isBlank(c)) {
      if (Step s = ungetOrStop(source, c); s.stop) return finishCharacters(result, d, taken, s);
      break;
    }
    storeCharacter(result, d, c);
    if (++taken == static_cast<size_t>(d.width)) break;
  }
  return finishCharacters(result, d, taken);
}

// 'c': one character, or exactly width characters (fewer at the end).
Step scanCharacters(InputSource &source, const InputDirective &d, ScanResult &result) {
  const size_t wanted = d.width > 0 ? static_cast<size_t>(d.width) : 1;
  size_t taken = 0;
  for (; taken < wanted; ++taken) {
    const int c = source.get();
    if (c == EOF) return finishCharacters(result, d, taken, source.endOfInput());
    storeCharacter(result, d, c);
  }
  return finishCharacters(result, d, taken);
}

// '[': characters while they belong to the set, up to the width; none at
// all is a matching failure.
Step scanSet(InputSource &source, const InputDirective &d, ScanResult &result) {
  const std::array<bool, 256> members = scanSetMembers(d.set);
  size_t taken = 0;
  while (d.width < 0 || taken < static_cast<size_t>(d.width)) {
    const int c = source.get();
    if (c == EOF) return finishCharacters(result, d, taken, source.endOfInput());
    if (!members[static_cast<unsigned char>(c)]) {
      if (Step s = ungetOrStop(source, c); s.stop) return finishCharacters(result, d, taken, s);
      break;
    }
    storeCharacter(result, d, c);
    ++taken;
  }
  if (taken == 0) return {true, kErrMatchingFailure};
  return finishCharacters(result, d, taken);
}

// Integers (Read = scanInteger) and floats (scanFloat), read by the
// source's family.
template <Step (InputSource::*Read)(const InputDirective &, Number &)>
Step scanNumber(InputSource &source, const InputDirective &d, ScanResult &result) {
  Number number;
  const Step step = (source.*Read)(d, number);
  if (step.stop) return step;
  if (!d.skip) {
    result.values.push(number.value);
    result.numeric = true;
    ++result.count;
  }
  return {};
}
constexpr auto scanIntegerPiece = scanNumber<&InputSource::scanInteger>;
constexpr auto scanFloatPiece = scanNumber<&InputSource::scanFloat>;

Step scanLiteralPiece(InputSource &source, const InputDirective &d, ScanResult &) {
  return scanLiteral(source, d.literal);
}

// One scanner per conversion, in the order of InConversion (kC is last).
using Scanner = Step (*)(InputSource &, const InputDirective &, ScanResult &);
constexpr Scanner kScanners[] = {scanLiteralPiece, scanIntegerPiece, scanIntegerPiece, scanIntegerPiece,
                                 scanIntegerPiece, scanIntegerPiece, scanFloatPiece,   scanString,
                                 scanSet,          scanCharacters};
static_assert(std::size(kScanners) == static_cast<std::size_t>(InConversion::kC) + 1, "one scanner per conversion");

// The scanner of the piece from the table. Numbers, read once per value of
// long inputs, are called directly when the table names their scanner, so
// that the compiler can inline them into the reading loop.
Step scanPiece(InputSource &source, const InputDirective &d, ScanResult &result) {
  const Scanner scanner = kScanners[static_cast<int>(d.conversion)];
  if (scanner == scanIntegerPiece) return scanIntegerPiece(source, d, result);
  if (scanner == scanFloatPiece) return scanFloatPiece(source, d, result);
  return scanner(source, d, result);
}

}  // namespace

namespace {

// The descriptor set up for values read as doubles. The first chunk is
// small even when the size fixes the result: a size of millions of values
// asks for no memory before values come.
fileio::TransferDescriptor &preparedForValues(fileio::TransferDescriptor &transfer, int firstChunk, int rows,
                                              int cols) {
  transfer.count = 0;
  transfer.byteMode = 0;
  transfer.resultClass = QX_CLASS_DOUBLE;
  transfer.rows = rows;
  transfer.cols = cols;
  transfer.chunkSize = firstChunk;
  transfer.capacity = 0;
  return transfer;
}

}  // namespace

ValueStore::ValueStore(fileio::TransferDescriptor &transfer, int firstChunk, int rows, int cols)
    : transfer_(transfer), chunks_(preparedForValues(transfer, firstChunk, rows, cols)) {}

// Records the values written since the last settlement in the list.
void ValueStore::settle() {
  chunks_.stored(static_cast<int>(next_ - start_));
  start_ = next_;
}

void ValueStore::refill() {
  settle();
  if (chunks_.room() == 0 && !chunks_.grow()) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  start_ = next_ = static_cast<double *>(chunks_.end());
  end_ = next_ + chunks_.room();
}

common::OwnedArray ValueStore::finish(int resultKind, int sizeDims) {
  settle();
  transfer_.resultKind = resultKind;
  transfer_.sizeDims = sizeDims;
  return chunks_.finish();
}

void scanFormatted(InputSource &source, std::string_view format, int limit, ScanResult &result) {
  FormatCursor cursor(format);
  bool atEnd = false, passDone = false;
  int idleDirectives = 0;  // directives completed while nothing was converted
  size_t passStart = 0;    // input consumed when the current pass began
  int passCount = 0;
  common::InterruptPoints interrupts;
  bool started = false;  // a piece has been taken
  while (limit < 0 || result.count < limit) {
    interrupts.pass();
    // A pass over the format that used no input and converted nothing
    // would be repeated for ever. (An empty format is not such a pass: its
    // first piece is refused below.)
    if (started && cursor.atEnd()) {
      if (source.consumed() == passStart && result.count == passCount) return;
      passStart = source.consumed();
      passCount = result.count;
    }
    const InputDirective *piece = nullptr;
    if (cursor.next(piece) != kErrNone) {
      result.code = kErrInvalidFormat;
      return;
    }
    started = true;
    if (cursor.atEnd()) {
      passDone = passDone || atEnd;
      atEnd = true;
    } else if (atEnd) {
      passDone = true;
      atEnd = false;
    }
    if (passDone && result.count == 0 && idleDirectives == limit) return;
    const Step step = scanPiece(source, *piece, result);
    if (step.stop) {
      result.code = step.code;
      return;
    }
    if (source.exhausted()) return;
    if (piece->conversion != InConversion::kLiteral && result.count == 0) ++idleDirectives;
  }
  // The limit is reached: the literal text that follows is still matched.
  while (!cursor.atEnd() && !source.exhausted()) {
    const InputDirective *piece = nullptr;
    if (cursor.next(piece) != kErrNone || piece->conversion != InConversion::kLiteral) break;
    const Step step = scanLiteral(source, piece->literal);
    if (step.stop) {
      result.code = step.code;
      break;
    }
  }
}

}  // namespace zq::textio
