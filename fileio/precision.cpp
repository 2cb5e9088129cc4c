// The precision parser: type names from two lists, bit fields bitN/ubitN
// with optional container widths, block counts and the => result class.
#include "fileio/precision.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <optional>
#include <string_view>

#include "host/qx.h"

namespace zq::fileio {
namespace {

constexpr PrecisionType kTypes[] = {
    {UT_TYPE_CHAR, QX_CLASS_CHAR, 1, 2},     {UT_TYPE_SCHAR, QX_CLASS_INT8, 1, 1},
    {UT_TYPE_SHORT, QX_CLASS_INT16, 2, 2},   {UT_TYPE_INT, QX_CLASS_INT32, 4, 4},
    {UT_TYPE_LONG, QX_CLASS_INT32, 4, 4},    {UT_TYPE_UCHAR, QX_CLASS_UINT8, 1, 1},
    {UT_TYPE_USHORT, QX_CLASS_UINT16, 2, 2}, {UT_TYPE_UINT, QX_CLASS_UINT32, 4, 4},
    {UT_TYPE_ULONG, QX_CLASS_UINT32, 4, 4},  {UT_TYPE_FLOAT, QX_CLASS_SINGLE, 4, 4},
    {UT_TYPE_DOUBLE, QX_CLASS_DOUBLE, 8, 8},
};

struct TypeName {
  std::string_view name;
  int code;
};

// Searched in this order; the first list before the second.
constexpr TypeName kFirstList[] = {
    {"char", 1},
    {"char*1", 1},
    {"schar", 2},
    {"signedchar", 2},
    {"short", 3},
    {"int", 4},
    {"long", 5},
    {"float", 10},
    {"single", 10},
    {"double", 11},
    {"uchar", 6},
    {"unsignedchar", 6},
    {"ushort", 7},
    {"unsignedshort", 7},
    {"uint", 8},
    {"unsignedint", 8},
    {"ulong", 9},
    {"unsignedlong", 9},
    {"noconvert", kTypeNoConvert},
};
constexpr TypeName kSecondList[] = {
    {"int8", 2},     {"int16", 3},    {"int32", 4},     {"int64", 5},     {"uint8", 6},     {"uint16", 7},
    {"uint32", 8},   {"uint64", 9},   {"integer*1", 2}, {"integer*2", 3}, {"integer*4", 4}, {"integer*8", 5},
    {"float32", 10}, {"float64", 11}, {"real*4", 10},   {"real*8", 11},
};

// Formats 5 and 6 are the two whose long is 64 bits.
constexpr int kLittleEndian64 = 5;
constexpr int kBigEndian64 = 6;
constexpr int kMaxBits = 64;

// The bit-field type codes by width: 1-8, 9-16, 17-32, 33-64 bits.
int bitFieldType(int bits, bool isUnsigned) {
  const int signedCode = bits <= 8 ? 2 : bits <= 16 ? 3 : bits <= 32 ? 4 : 5;
  return isUnsigned ? signedCode + 4 : signedCode;
}

bool endsName(std::string_view rest) { return rest.empty() || rest.front() == '='; }

int sizeInFormat(int format, int type) { return format == utGetDataSizeType() ? 0 : utDconvertSize(format, type); }

void switchTo64BitLong(int &format) {
  if (format != kLittleEndian64 && format != kBigEndian64) {
    format = utGetDataEndianType(format) == 1 ? kBigEndian64 : kLittleEndian64;
  }
}

// A decimal number with an optional sign at the start of text; consumed
// from text. Magnitudes beyond the int range stop at 2^31, which is invalid
// everywhere a number can appear.
constexpr long kNumberCap = 1L << 31;

std::optional<long> readNumber(std::string_view &text) {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++i;
  if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
  long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = std::min(value * 10 + (text[i] - '0'), kNumberCap);
  }
  text.remove_prefix(i);
  return negative ? -value : value;
}

// What a type name yields.
struct ParsedType {
  int type = 0;
  int bitCount = 0;
  int fileSize = 0;
  bool container = false;  // written as bitNinM
};

std::optional<ParsedType> namedType(std::string_view &text, int &format) {
  for (const TypeName &t : kFirstList) {
    if (text.starts_with(t.name) && endsName(text.substr(t.name.size()))) {
      text.remove_prefix(t.name.size());
      return ParsedType{t.code, 0, sizeInFormat(format, t.code), false};
    }
  }
  for (const TypeName &t : kSecondList) {
    if (text.starts_with(t.name) && endsName(text.substr(t.name.size()))) {
      text.remove_prefix(t.name.size());
      if (t.name == "int64" || t.name == "uint64") {
        switchTo64BitLong(format);
        return ParsedType{t.code, 0, utDconvertSize(format, t.code), false};
      }
      return ParsedType{t.code, 0, sizeInFormat(format, t.code), false};
    }
  }
  return std::nullopt;
}

// bitN, ubitN, intN, uintN, each with an optional "inM".
std::optional<ParsedType> bitFieldType(std::string_view &text, int &format) {
  struct Prefix {
    std::string_view text;
    bool isUnsigned;
    const char *warning;
  };
  static constexpr Prefix kPrefixes[] = {
      {"bit", false, nullptr},
      {"int", false, "Please use bit* instead of int*"},
      {"ubit", true, nullptr},
      {"uint", true, "Please use ubit* instead of uint*"},
  };
  const Prefix *prefix = nullptr;
  for (const Prefix &p : kPrefixes) {
    if (text.starts_with(p.text)) prefix = &p;
  }
  if (prefix == nullptr) return std::nullopt;
  std::string_view rest = text.substr(prefix->text.size());
  const std::optional<long> bits = readNumber(rest);
  if (!bits) return std::nullopt;
  ParsedType parsed;
  if (endsName(rest)) {
    if (*bits < 1 || *bits > kMaxBits) return std::nullopt;
    if (prefix->warning != nullptr) qxWarningMsgTxt("%s", prefix->warning);
    parsed = ParsedType{bitFieldType(static_cast<int>(*bits), prefix->isUnsigned), static_cast<int>(*bits), 0, false};
  } else {
    if (!rest.starts_with("in")) return std::nullopt;
    rest.remove_prefix(2);
    const std::optional<long> width = readNumber(rest);
    if (!width || !endsName(rest) || *width < 1 || *width > kMaxBits || *bits < 1 || *bits > *width) {
      return std::nullopt;
    }
    parsed = ParsedType{bitFieldType(static_cast<int>(*width), prefix->isUnsigned), static_cast<int>(*bits),
                        static_cast<int>(*width), true};
  }
  if (parsed.bitCount > 32) switchTo64BitLong(format);
  text = rest;
  return parsed;
}

std::optional<ParsedType> typeName(std::string_view &text, int &format) {
  if (std::optional<ParsedType> named = namedType(text, format)) return named;
  return bitFieldType(text, format);
}

// The result types that "=>" accepts: double, named types of at most four
// bytes in the format, and the 8- and 32-bit fields without a container.
bool acceptableOutput(const ParsedType &t) {
  if (t.type == kTypeNoConvert) return false;
  if (t.bitCount == 0) {
    return t.type == UT_TYPE_DOUBLE || t.fileSize == 0 || t.fileSize == 1 || t.fileSize == 2 || t.fileSize == 4;
  }
  return !t.container && (t.bitCount == 8 || t.bitCount == 32);
}

constexpr int kInvalid = 1;

}  // namespace

const PrecisionType *precisionType(int code) {
  for (const PrecisionType &t : kTypes) {
    if (t.code == code) return &t;
  }
  return nullptr;
}

int typeCodeOfClass(int classId) {
  for (const PrecisionType &t : kTypes) {
    if (t.classId == classId) return t.code;
  }
  return 0;
}

int elementSizeOfClass(int classId) {
  for (const PrecisionType &t : kTypes) {
    if (t.classId == classId) return t.elementBytes;
  }
  return 1;
}

void stripBlanks(char *s) {
  char *out = s;
  for (const char *in = s; *in != '\0'; ++in) {
    if (!std::isspace(static_cast<unsigned char>(*in))) *out++ = *in;
  }
  *out = '\0';
}

// [*][count*]type[=>type]; see the header for the roles of the fields.
int parsePrecision(const char *s, PrecisionSpec &prec) {
  std::string_view text(s);
  const bool forWrite = prec.inputType != 0;
  const bool star = text.starts_with("*");
  if (star) {
    if (forWrite) return kInvalid;
    text.remove_prefix(1);
  }

  // Block count.
  prec.blockCount = 1;
  std::string_view afterNumber = text;
  if (const std::optional<long> count = readNumber(afterNumber)) {
    if (!afterNumber.starts_with("*") || star || *count < 1 || *count >= kNumberCap) return kInvalid;
    prec.blockCount = static_cast<int>(*count);
    text = afterNumber.substr(1);
  }

  // The file-side type.
  const std::optional<ParsedType> file = typeName(text, prec.format);
  if (!file) return kInvalid;
  prec.bitCount = file->bitCount;
  prec.fileSize = file->fileSize;
  if (forWrite) {
    prec.outputType = file->type;
    return text.empty() ? 0 : kInvalid;
  }
  prec.inputType = file->type;

  // The result type.
  if (text.empty()) {
    if (!star) {
      prec.outputType = UT_TYPE_DOUBLE;
      return 0;
    }
    const bool eightByteNamed = file->bitCount == 0 && file->fileSize == 8 && file->type != UT_TYPE_DOUBLE;
    const bool wide64BitField = file->bitCount == 64 && file->fileSize == 0;
    if (eightByteNamed || wide64BitField || file->type == kTypeNoConvert) return kInvalid;
    prec.outputType = file->type;
    return 0;
  }
  if (star || !text.starts_with("=>")) return kInvalid;
  text.remove_prefix(2);
  int outputFormat = prec.format;
  const std::optional<ParsedType> output = typeName(text, outputFormat);
  if (!output || !text.empty() || !acceptableOutput(*output)) return kInvalid;
  prec.outputType = output->type;
  return 0;
}

void precisionArgument(char *text, PrecisionSpec &prec) {
  char uchar[] = "uchar";
  if (text == nullptr) text = uchar;
  stripBlanks(text);
  if (parsePrecision(text, prec) != 0) qxErrMsg(QX_MSG_INVALID_PRECISION);
}

}  // namespace zq::fileio
