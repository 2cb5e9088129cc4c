// Escape translation, cutting into pieces and the two directive grammars.
#include "textio/format.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "common/arguments.h"
#include "host/ut.h"

namespace zq::textio {
namespace {

// Single-letter escapes and the byte each stands for.
struct Escape {
  char letter;
  char byte;
};
constexpr Escape kEscapes[] = {{'n', '\n'}, {'t', '\t'}, {'f', '\f'}, {'r', '\r'}, {'\\', '\\'}, {'\'', '\''},
                               {'"', '"'},  {'?', '?'},  {'a', '\a'}, {'b', '\b'}, {'v', '\v'}};

// Pieces kept by a cursor at most (a format longer than that is parsed
// again on each pass beyond them).
constexpr size_t kMaxCachedPieces = 256;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a run of decimal digits at text[pos] as strtol does on a platform
// with 32-bit long: the value saturates at INT_MAX.
int readDecimal(std::string_view text, size_t &pos) {
  long long value = 0;
  while (pos < text.size() && isDigit(text[pos])) {
    value = value * 10 + (text[pos++] - '0');
    if (value > INT_MAX) value = INT_MAX;
  }
  return static_cast<int>(value);
}

// Translates the escape whose letter stands at text[pos] (after the '\').
// Returns the byte value, or -1 for an invalid escape; pos moves past it.
int translateOne(const std::string &text, size_t &pos) {
  const char c = text[pos];
  if (const Escape *e = common::findLetter<Escape>(c, kEscapes)) {
    ++pos;
    return static_cast<unsigned char>(e->byte);
  }
  if (isDigit(c)) {
    // Up to three decimal digits are consumed; the value is their octal
    // prefix (an 8 or 9 ends it).
    int value = 0;
    bool octal = true;
    for (int n = 0; n < 3 && pos < text.size() && isDigit(text[pos]); ++n, ++pos) {
      if (text[pos] > '7') octal = false;
      if (octal) value = value * 8 + (text[pos] - '0');
    }
    return value > 255 ? -1 : value;
  }
  if (c == 'x' && pos + 1 < text.size() && hexValue(text[pos + 1]) >= 0) {
    long value = 0;
    for (++pos; pos < text.size() && hexValue(text[pos]) >= 0; ++pos) {
      value = value * 16 + hexValue(text[pos]);
      if (value > 255) value = 256;  // stays invalid, never overflows
    }
    return value > 255 ? -1 : static_cast<int>(value);
  }
  return -1;
}

// Which conversion letters each size modifier accepts (output grammar).
struct OutLetter {
  char letter;
  OutConversion conversion;
  bool plain, shortLong, bits;  // allowed without modifier, with h/l, with t/b
};
constexpr OutLetter kOutLetters[] = {
    {'d', OutConversion::kD, true, true, false},      {'i', OutConversion::kI, true, true, false},
    {'o', OutConversion::kO, true, true, true},       {'u', OutConversion::kU, true, true, true},
    {'x', OutConversion::kX, true, true, true},       {'X', OutConversion::kX, true, true, true},
    {'e', OutConversion::kFloat, true, false, false}, {'E', OutConversion::kFloat, true, false, false},
    {'f', OutConversion::kFloat, true, false, false}, {'g', OutConversion::kFloat, true, false, false},
    {'G', OutConversion::kFloat, true, false, false}, {'s', OutConversion::kS, true, false, false},
    {'c', OutConversion::kC, true, false, false},
};

struct InLetter {
  char letter;
  InConversion conversion;
  bool sized;  // accepts h and l
};
constexpr InLetter kInLetters[] = {
    {'d', InConversion::kD, true},     {'i', InConversion::kI, true},     {'o', InConversion::kO, true},
    {'u', InConversion::kU, true},     {'x', InConversion::kX, true},     {'X', InConversion::kX, true},
    {'e', InConversion::kFloat, true}, {'E', InConversion::kFloat, true}, {'f', InConversion::kFloat, true},
    {'g', InConversion::kFloat, true}, {'G', InConversion::kFloat, true}, {'c', InConversion::kC, false},
    {'s', InConversion::kS, false},
};

struct ModifierLetter {
  char letter;
  Modifier modifier;
};
constexpr ModifierLetter kModifierLetters[] = {
    {'h', Modifier::kShort}, {'l', Modifier::kLong}, {'t', Modifier::kSingleBits}, {'b', Modifier::kDoubleBits}};

Modifier modifierOf(char c) {
  const ModifierLetter *m = common::findLetter<ModifierLetter>(c, kModifierLetters);
  return m != nullptr ? m->modifier : Modifier::kNone;
}

// Parses an output directive at text[pos] (just after the '%').
int parseOutput(std::string_view text, size_t &pos, OutputDirective &d) {
  d = OutputDirective{};
  constexpr std::string_view kFlagChars = "-+ #0";
  bool zeroSeen = false;
  for (size_t f; pos < text.size() && (f = kFlagChars.find(text[pos])) != std::string_view::npos; ++pos) {
    const uint8_t bit = static_cast<uint8_t>(1u << f);
    if (d.flags & bit) return kErrInvalidFormat;
    d.flags |= bit;
    if (bit == kZero) zeroSeen = true;
    if (!zeroSeen) d.wordFlags |= bit & (kLeft | kPlus | kBlank);
  }
  if (pos >= text.size()) return kErrInvalidFormat;
  bool widthFromData = false;
  if (text[pos] == '*') {
    widthFromData = true;
    d.widthSource = Source::kData;
    ++pos;
  } else if (text[pos] >= '1' && text[pos] <= '9') {
    d.widthSource = Source::kFormat;
    d.width = readDecimal(text, pos);
  }
  d.state = widthFromData ? OutState::kNeedWidth : OutState::kReady;
  if (pos < text.size() && text[pos] == '.') {
    if (++pos >= text.size()) return kErrInvalidFormat;
    if (text[pos] == '*') {
      d.precisionSource = Source::kData;
      d.state = widthFromData ? OutState::kNeedBoth : OutState::kNeedPrecision;
      ++pos;
    } else if (text[pos] == '-') {
      // A negative precision is no precision; "-" without digits stays
      // unread and the letter check refuses it.
      if (pos + 1 < text.size() && isDigit(text[pos + 1])) {
        ++pos;
        if (readDecimal(text, pos) == 0) d.precisionSource = Source::kFormat;  // "-0" is 0
      }
    } else {
      d.precisionSource = Source::kFormat;
      d.precision = readDecimal(text, pos);
    }
  }
  if (pos >= text.size()) return kErrInvalidFormat;
  d.modifier = modifierOf(text[pos]);
  if (d.modifier != Modifier::kNone && ++pos >= text.size()) return kErrInvalidFormat;
  const OutLetter *l = common::findLetter<OutLetter>(text[pos], kOutLetters);
  if (l == nullptr) return kErrInvalidFormat;
  const bool allowed = d.modifier == Modifier::kNone                                       ? l->plain
                       : (d.modifier == Modifier::kShort || d.modifier == Modifier::kLong) ? l->shortLong
                                                                                           : l->bits;
  if (!allowed) return kErrInvalidFormat;
  if (l->conversion == OutConversion::kC && d.precisionSource != Source::kNone) return kErrInvalidFormat;
  d.conversion = l->conversion;
  d.letter = l->letter;
  ++pos;
  return kErrNone;
}

// Parses an input directive at text[pos] (just after the '%') and writes
// the directive text that the system scanner is given.
int parseInput(std::string_view text, size_t &pos, InputDirective &d) {
  d = InputDirective{};
  if (pos < text.size() && text[pos] == '*') {
    d.skip = true;
    ++pos;
  }
  if (pos < text.size() && isDigit(text[pos])) {
    d.width = readDecimal(text, pos);
    if (d.width == 0) return kErrInvalidFormat;
  }
  if (pos >= text.size()) return kErrInvalidFormat;
  if (text[pos] == '[') {
    size_t end = pos + 1;
    if (end < text.size() && text[end] == '^') ++end;
    if (end < text.size() && text[end] == ']') ++end;
    end = text.find(']', end);
    if (end == std::string_view::npos) return kErrInvalidFormat;
    d.conversion = InConversion::kSet;
    d.letter = '[';
    d.set = text.substr(pos + 1, end - pos - 1);
    pos = end + 1;
    return kErrNone;
  }
  d.modifier = modifierOf(text[pos]);
  if (d.modifier == Modifier::kSingleBits || d.modifier == Modifier::kDoubleBits) return kErrInvalidFormat;
  if (d.modifier != Modifier::kNone && ++pos >= text.size()) return kErrInvalidFormat;
  const InLetter *l = common::findLetter<InLetter>(text[pos], kInLetters);
  if (l == nullptr || (d.modifier != Modifier::kNone && !l->sized)) return kErrInvalidFormat;
  d.conversion = l->conversion;
  d.letter = l->letter;
  ++pos;
  // Integers read 32-bit values with or without 'l' (int and long are the
  // same size here); floats read a double unless 'h' asks for a float.
  const char *size = "";
  if (d.conversion == InConversion::kFloat) {
    size = d.modifier == Modifier::kShort ? "" : "l";
  } else if (d.modifier == Modifier::kShort) {
    size = "h";
  }
  if (d.width > 0) {
    std::snprintf(d.text, sizeof d.text, "%%%d%s%c", d.width, size, d.letter);
  } else {
    std::snprintf(d.text, sizeof d.text, "%%%s%c", size, d.letter);
  }
  return kErrNone;
}

// A literal output piece is ready to print as soon as it is taken.
void markLiteral(OutputDirective &piece) { piece.state = OutState::kReady; }
void markLiteral(InputDirective &) {}

}  // namespace

bool translateEscapes(std::string &text) {
  const bool multiByte = utIsMultiByteCharSet() != 0;
  size_t read = 0, write = 0;
  size_t end = std::string::npos;  // where an escaped NUL ends the format
  bool valid = true;
  while (read < text.size()) {
    const char c = text[read];
    if (multiByte && utIsMultiByteLead(static_cast<unsigned char>(c))) {
      text[write++] = text[read++];
      if (read < text.size()) text[write++] = text[read++];
      continue;
    }
    if (c != '\\') {
      text[write++] = text[read++];
      continue;
    }
    ++read;
    const int byte = read < text.size() ? translateOne(text, read) : -1;
    if (byte < 0) {
      valid = false;
      break;
    }
    // A NUL ends the format, but the escapes after it are still checked.
    if (byte == 0 && end == std::string::npos) end = write;
    text[write++] = static_cast<char>(byte);
  }
  text.resize(std::min(write, end));
  return valid;
}

bool FormatCursor::takeLiteral(std::string_view &literal) {
  const size_t start = position_;
  while (position_ < format_.size()) {
    if (format_[position_] == '%') {
      if (position_ + 1 < format_.size() && format_[position_ + 1] == '%') {
        position_ += 2;
        continue;
      }
      break;
    }
    ++position_;
  }
  literal = format_.substr(start, position_ - start);
  return !literal.empty();
}

// Takes a literal run as the piece, or else parses the directive at the
// cursor with the grammar of its engine. Pieces already met come from the
// cache.
template <class Directive>
int FormatCursor::nextPiece(const Directive *&piece, Directive &scratch,
                            std::vector<std::pair<size_t, Directive>> &cache,
                            int (*parse)(std::string_view, size_t &, Directive &)) {
  if (atEnd()) rewind();
  if (format_.empty()) return kErrInvalidFormat;
  if (cacheIndex_ < cache.size()) {
    piece = &cache[cacheIndex_].second;
    position_ = cache[cacheIndex_++].first;
    return kErrNone;
  }
  std::string_view literal;
  if (takeLiteral(literal)) {
    scratch = Directive{};
    scratch.literal = literal;
    markLiteral(scratch);
  } else {
    if (++position_ >= format_.size()) return kErrInvalidFormat;
    const int code = parse(format_, position_, scratch);
    if (code != kErrNone) return code;
  }
  piece = &scratch;
  if (cacheIndex_ == cache.size() && cache.size() < kMaxCachedPieces) {
    cache.emplace_back(position_, scratch);
    piece = &cache[cacheIndex_++].second;
  }
  return kErrNone;
}

int FormatCursor::next(const OutputDirective *&piece) {
  return nextPiece(piece, outputScratch_, outputPieces_, parseOutput);
}

int FormatCursor::next(const InputDirective *&piece) {
  return nextPiece(piece, inputScratch_, inputPieces_, parseInput);
}

size_t copyLiteral(std::string_view run, char *out) {
  size_t n = 0;
  for (size_t i = 0; i < run.size(); ++i) {
    out[n++] = run[i];
    if (run[i] == '%' && i + 1 < run.size() && run[i + 1] == '%') ++i;
  }
  return n;
}

}  // namespace zq::textio
