// Integer and single values in the debug format, whose addresses change
// from run to run (the golden scripts show every other format).
#include <gtest/gtest.h>

#include <string>

#include "shell/session.h"
#include "support/host_fixture.h"

namespace zq::shell {
namespace {

// What a script prints, each hexadecimal address replaced by "ADDR".
std::string printedWithoutAddresses(const char *script) {
  std::string text;
  {
    Session session;
    zqtest::StdoutCapture capture;
    session.run(script, true);
    text = capture.text();
  }
  for (const char *label : {"address = ", "pr = ", "pi = "}) {
    for (size_t at = text.find(label); at != std::string::npos; at = text.find(label, at + 1)) {
      const size_t start = at + std::string(label).size();
      const size_t end = text.find_first_not_of("0123456789abcdef", start);
      text.replace(start, end - start, "ADDR");
    }
  }
  return text;
}

TEST(ClassValues, DebugFormatShowsTheRecordThenTheShortForm) {
  EXPECT_EQ(printedWithoutAddresses("format debug\ni = int8([-1 2])\nformat"),
            "\ni =\n\n\nStructure address = ADDR \nm = 1 \nn = 2\npr = ADDR \npi = ADDR\n    -1     2\n\n");
  EXPECT_EQ(printedWithoutAddresses("format debug\ns = single(2.5)\nformat"),
            "\ns =\n\n\nStructure address = ADDR \nm = 1 \nn = 1\npr = ADDR \npi = ADDR\n    2.5000\n\n");
}

}  // namespace
}  // namespace zq::shell
