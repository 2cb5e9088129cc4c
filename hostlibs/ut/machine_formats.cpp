// libut: the machine formats of binary data and the conversions between
// them and native doubles.
#include <cstdint>
#include <iterator>

#include "host/ut.h"

namespace {

enum class Float { Ieee, Vax, Cray };
enum class Double { Ieee, VaxD, VaxG, Cray };

struct MachineFormat {
  const char *name;
  int bigEndian;  // byte-order code: 1 when the most significant byte comes first
  int longBytes;
  Float single;
  Double dbl;
};

constexpr MachineFormat kFormats[] = {
    {"ieee-le", 0, 4, Float::Ieee, Double::Ieee},     {"ieee-be", 1, 4, Float::Ieee, Double::Ieee},
    {"vaxd", 0, 4, Float::Vax, Double::VaxD},         {"vaxg", 0, 4, Float::Vax, Double::VaxG},
    {"cray", 1, 4, Float::Cray, Double::Cray},        {"ieee-le.l64", 0, 8, Float::Ieee, Double::Ieee},
    {"ieee-be.l64", 1, 8, Float::Ieee, Double::Ieee},
};
constexpr int kFormatCount = static_cast<int>(std::size(kFormats));

const MachineFormat *formatAt(int format) {
  return format >= 0 && format < kFormatCount ? &kFormats[format] : nullptr;
}

}  // namespace

extern "C" {

int utGetDataSizeType(void) {
  return __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? 0 : 1;
}

int utGetNumDataSizeTypes(void) { return kFormatCount + 1; }

const char *utGetDataSizeTypeName(int format) {
  const MachineFormat *f = formatAt(format);
  return f != nullptr ? f->name : "";
}

int utGetDataEndianType(int format) {
  const MachineFormat *f = formatAt(format);
  return f != nullptr ? f->bigEndian : 0;
}

}  // extern "C"
