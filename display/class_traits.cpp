// Per-class element readers and hex printers of the numeric printer.
#include <cstdint>
#include <cstring>

#include "display/number_formats.h"
#include "host/ut.h"

namespace zq::display {
namespace {

// Reads an element stored as T. Elements may be unaligned views into the
// host's buffers, so they are copied out rather than dereferenced.
template <typename T>
double readAs(const void *element) {
  T value;
  std::memcpy(&value, element, sizeof value);
  return static_cast<double>(value);
}

// Prints the bits of an element of sizeof(U) bytes as lowercase hex digits,
// most significant first, after three blanks.
template <typename U>
void printBits(const char *, const void *element) {
  static constexpr char kDigits[] = "0123456789abcdef";
  U bits;
  std::memcpy(&bits, element, sizeof bits);
  char text[2 * sizeof(U) + 1];
  for (std::size_t k = 0; k < 2 * sizeof(U); ++k) {
    text[2 * sizeof(U) - 1 - k] = kDigits[(bits >> (4 * k)) & 0xf];
  }
  text[2 * sizeof(U)] = '\0';
  utPrintf("   %s", text);
}

// Where the two 32-bit words of a double's storage go, by the host's
// floating-point format type.
struct WordOrder {
  bool secondWordFirst;
  bool swapHalves;  // exchange the 16-bit halves of each word
};
constexpr WordOrder kWordOrders[] = {{true, false}, {false, false}, {true, true}, {true, true}};

uint32_t swapHalves(uint32_t w) { return (w << 16) | (w >> 16); }

// Prints a double's 64 bits through format (two 32-bit words). A format type
// the host should not report is shown as type 0.
void printDoubleBits(const char *format, const void *element) {
  uint32_t words[2];
  std::memcpy(words, element, sizeof words);
  const int type = utGetFormatType();
  const WordOrder order = kWordOrders[type >= 0 && type <= 3 ? type : 0];
  uint32_t first = order.secondWordFirst ? words[1] : words[0];
  uint32_t second = order.secondWordFirst ? words[0] : words[1];
  if (order.swapHalves) {
    first = swapHalves(first);
    second = swapHalves(second);
  }
  utPrintf(format, static_cast<unsigned long>(first), static_cast<unsigned long>(second));
}

constexpr ClassTraits kClassTraits[] = {
    {QX_CLASS_DOUBLE, readAs<double>, printDoubleBits, true},
    {QX_CLASS_SPARSE, readAs<double>, printDoubleBits, true},
    {QX_CLASS_SINGLE, readAs<float>, printBits<uint32_t>, true},
    {QX_CLASS_INT8, readAs<int8_t>, printBits<uint8_t>, false},
    {QX_CLASS_UINT8, readAs<uint8_t>, printBits<uint8_t>, false},
    {QX_CLASS_INT16, readAs<int16_t>, printBits<uint16_t>, false},
    {QX_CLASS_UINT16, readAs<uint16_t>, printBits<uint16_t>, false},
    {QX_CLASS_INT32, readAs<int32_t>, printBits<uint32_t>, false},
    {QX_CLASS_UINT32, readAs<uint32_t>, printBits<uint32_t>, false},
    {QX_CLASS_CHAR, readAs<int16_t>, printBits<uint16_t>, false},
};

}  // namespace

const ClassTraits *findClassTraits(int classId) {
  for (const ClassTraits &t : kClassTraits) {
    if (t.classId == classId) return &t;
  }
  return nullptr;
}

}  // namespace zq::display
