// The output driver: walks each data argument through the format, element
// by element, drawing '*' widths and precisions from the data and reusing
// the format from its start while data remain.
#include <cmath>

#include "textio/output.h"

namespace zq::textio {
namespace {

// Codes of a bad '*' value, for a width and for a precision.
struct StarCodes {
  int nan, plusInf, minusInf, range, empty;
};
constexpr StarCodes kWidthCodes = {kErrWidthNaN, kErrWidthInf, kErrWidthMinusInf, kErrWidthRange, kErrWidthEmpty};
constexpr StarCodes kPrecisionCodes = {kErrPrecisionNaN, kErrPrecisionInf, kErrPrecisionMinusInf, kErrPrecisionRange,
                                       kErrPrecisionEmpty};

bool needsStar(OutState state) { return state >= OutState::kNeedPrecision; }

const StarCodes &starCodes(OutState state) { return state == OutState::kNeedPrecision ? kPrecisionCodes : kWidthCodes; }

}  // namespace

int OutputEngine::fail(int code) {
  pending_ = false;
  state_ = OutState::kEmpty;
  return code;
}

// Takes the next piece of the format.
int OutputEngine::take() {
  const int code = cursor_.next(piece_);
  if (code != kErrNone) return fail(code);
  state_ = piece_->state;
  return kErrNone;
}

// Prints the piece held with its value; the piece is done afterwards.
int OutputEngine::print(ElementSource &source) {
  const int n = printPiece(sink_, *piece_, source);
  pending_ = false;
  state_ = OutState::kEmpty;
  if (n == kErrStreamFailed) return sink_.failureCode();
  if (n < 0) return n;
  count_ += n;
  return kErrNone;
}

// Takes one '*' value from the data for the width or precision due.
int OutputEngine::drawStarValue(ElementSource &source) {
  const StarCodes &codes = starCodes(state_);
  const double value = source.at(source.index);
  if (std::isnan(value)) return fail(codes.nan);
  if (std::isinf(value)) return fail(value > 0 ? codes.plusInf : codes.minusInf);
  if (value > 2147483647.0 || value < -2147483648.0) return fail(codes.range);
  const int drawn = static_cast<int>(std::trunc(value));
  ++source.index;
  if (piece_ != &drawn_) {
    drawn_ = *piece_;
    piece_ = &drawn_;
  }
  switch (state_) {
    case OutState::kNeedWidth:
      drawn_.width = drawn;
      state_ = OutState::kReady;
      break;
    case OutState::kNeedBoth:
      drawn_.width = drawn;
      state_ = OutState::kNeedPrecision;
      break;
    default:
      // A negative precision is dropped.
      drawn_.precision = drawn;
      if (drawn < 0) drawn_.precisionSource = Source::kNone;
      state_ = OutState::kReady;
      break;
  }
  pending_ = true;
  return kErrNone;
}

// An argument without elements: only an 's' directive can take an empty
// char argument (it prints the empty string); anything else is refused.
int OutputEngine::emptyArgument(ElementSource &source) {
  if (state_ == OutState::kEmpty) {
    int code = take();
    if (code != kErrNone) return code;
    if (piece_->conversion == OutConversion::kLiteral) {
      if ((code = print(source)) != kErrNone) return fail(code);
      if ((code = take()) != kErrNone) return code;
    }
  }
  if (needsStar(state_)) return fail(starCodes(state_).empty);
  if (piece_->conversion == OutConversion::kS && source.isChar()) return print(source);
  return fail(kErrEmptyArgument);
}

// Lets Ctrl-C leave a long output, after handing the text held back to the
// stream: what was made before the interrupt stays written. Kept apart
// from the loop that calls it, which it would otherwise slow down.
[[gnu::noinline, gnu::cold]] void OutputEngine::leaveIfInterrupted() {
  try {
    utLongjmpIfInterruptPending();
  } catch (...) {
    sink_.flush();
    throw;
  }
}

int OutputEngine::run(ElementSource &source, int n) {
  if (!pending_) state_ = OutState::kEmpty;
  if (source.count == 0) return emptyArgument(source);
  while (source.index < source.count) {
    if (interrupts_.due()) [[unlikely]]
      leaveIfInterrupted();
    if (state_ == OutState::kEmpty) {
      const int code = take();
      if (code != kErrNone) return code;
    }
    if (needsStar(state_)) {
      const int code = drawStarValue(source);
      if (code != kErrNone) return code;
      continue;
    }
    const bool wasString = piece_->conversion == OutConversion::kS;
    const int code = print(source);
    if (code != kErrNone) return fail(code);
    // A format whose pieces use none of the first argument's data prints
    // once and is refused.
    if (n == 1 && cursor_.atEnd() && source.index == 0) return fail(kErrMatchingFailure);
    // An 's' directive takes a char argument as a whole.
    if (wasString && source.isChar()) return kErrNone;
  }
  return kErrNone;
}

int OutputEngine::finish() {
  if (pending_) return fail(kErrNotEnoughArguments);
  state_ = OutState::kEmpty;
  ElementSource none;
  while (!cursor_.atEnd()) {
    const int code = take();
    if (code != kErrNone) return code;
    if (piece_->conversion != OutConversion::kLiteral) return fail(kErrNone);
    if (const int printed = print(none); printed != kErrNone) return fail(printed);
  }
  return kErrNone;
}

}  // namespace zq::textio
