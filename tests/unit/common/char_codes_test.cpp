// The byte and code conversions shared by the text builtins: the vector
// paths must agree with the plain definition at every position and length.
#include "common/char_codes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using zq::common::allSingleByteCodes;
using zq::common::widenBytes;

TEST(CharCodes, WidenEveryByteAtEveryLength) {
  std::vector<unsigned char> bytes(300);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(255 - i);
  for (size_t n = 0; n <= bytes.size(); n += 7) {
    std::vector<qxChar> codes(n + 1, 0xBEEF);
    widenBytes(bytes.data(), codes.data(), n);
    for (size_t i = 0; i < n; ++i) ASSERT_EQ(codes[i], bytes[i]) << n << " " << i;
    EXPECT_EQ(codes[n], 0xBEEF) << "wrote past the end at length " << n;
  }
}

// One code that is not a single byte (NUL, or above 255) anywhere in a
// text of any length makes it fail; 1 and 255 are single bytes.
TEST(CharCodes, FindTheOneCodeThatIsNotASingleByteWherever) {
  for (size_t n : {size_t{1}, size_t{63}, size_t{64}, size_t{65}, size_t{200}, size_t{70000}}) {
    std::vector<qxChar> codes(n);
    for (size_t i = 0; i < n; ++i) codes[i] = static_cast<qxChar>(i % 2 == 0 ? 1 : 255);
    EXPECT_TRUE(allSingleByteCodes(codes.data(), n)) << n;
    for (const qxChar bad : {qxChar{0}, qxChar{256}, qxChar{0xFFFF}}) {
      for (size_t at : {size_t{0}, n / 2, n - 1}) {
        const qxChar kept = codes[at];
        codes[at] = bad;
        EXPECT_FALSE(allSingleByteCodes(codes.data(), n)) << n << " " << at << " " << bad;
        codes[at] = kept;
      }
    }
  }
  EXPECT_TRUE(allSingleByteCodes(nullptr, 0));
}

// Names from the file system are widened as signed bytes: ASCII keeps its
// code, bytes from 0x80 up wrap to the top of the 16-bit range.
TEST(CharCodes, WidenSignedBytesWrapsHighBytes) {
  const char bytes[] = {'a', '\x7f', '\x80', '\xc3', '\xff'};
  std::vector<qxChar> codes(std::size(bytes) + 1, 0xBEEF);
  zq::common::widenSignedBytes(bytes, codes.data(), std::size(bytes));
  EXPECT_EQ(codes, (std::vector<qxChar>{'a', 0x7f, 0xff80, 0xffc3, 0xffff, 0xBEEF}));
}

}  // namespace
