// fprintf to the console and to files: what is written, the count output,
// and the codes a failing write leaves in the file's entry.
#include <gtest/gtest.h>

#include "fileio/scratch_files.h"
#include "support/host_fixture.h"
#include "textio/open_file.h"

namespace {

using zqtest::Array;
using zqtest::call;
using zqtest::num;
using zqtest::row;
using zqtest::str;

std::string fileText(const std::string &path) {
  const zqtest::Bytes bytes = zqtest::readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(FprintfConsole, WritesEachPieceToTheCommandWindow) {
  Array format = str("x=%d\\n"), data = row({1, 2}), fid1 = num(1), fid2 = num(2);
  struct {
    std::initializer_list<const qxArray *> inputs;
    int nlhs;
    bool countSet;
  } cases[] = {
      {{format.get(), data.get()}, 0, false},
      {{format.get(), data.get()}, 1, true},
      {{fid1.get(), format.get(), data.get()}, 0, false},
      {{fid2.get(), format.get(), data.get()}, 1, true},
  };
  for (const auto &c : cases) {
    zqtest::StdoutCapture capture;
    auto r = call("fprintf", c.nlhs, c.inputs);
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(capture.text(), "x=1\nx=2\n");
    ASSERT_EQ(r.outputs[0] != nullptr, c.countSet);
    if (c.countSet) {
      EXPECT_EQ(qxGetScalar(r.outputs[0].get()), 8);
    }
  }
}

TEST(FprintfConsole, ReportsTheMessageOfAFailedArgument) {
  Array format = str("%d\\n"), empty = Array(qxCreateDoubleMatrix(0, 0, 0));
  zqtest::StdoutCapture capture;
  auto r = call("fprintf", 2, {format.get(), empty.get()});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(capture.text(), "");
  EXPECT_EQ(qxGetScalar(r.outputs[0].get()), 0);
  EXPECT_EQ(zqtest::text(r.outputs[1].get()), "Empty argument.");
  auto none = call("fprintf", 1, {empty.get()});
  EXPECT_EQ(none.error, "");
}

TEST(FprintfFile, WritesTheTextAndAlwaysSetsTheCount) {
  zqtest::ScratchDir dir;
  const std::string path = dir.file("out.txt");
  {
    zqtest::OpenFile file(path, "w");
    Array format = str("%d,%s;"), numbers = row({1, 2.5}), word = str("ab");
    auto r = call("fprintf", 0, {file.fid(), format.get(), numbers.get(), word.get()});
    ASSERT_EQ(r.error, "");
    ASSERT_NE(r.outputs[0], nullptr);
    EXPECT_EQ(qxGetScalar(r.outputs[0].get()), 20);
    EXPECT_EQ(file.entry().status, 0);
  }
  // The number that is no character code prints in exponent form; the char
  // argument feeds %d one code, and %s takes the rest of it whole.
  EXPECT_EQ(fileText(path), "1,2.500000e+00;97,b;");
}

TEST(FprintfFile, KeepsFailureCodesInTheFileEntry) {
  zqtest::ScratchDir dir;
  const std::string path = dir.file("in.txt");
  zqtest::writeBytes(path, {'x'});
  zqtest::OpenFile readOnly(path, "r");
  Array format = str("%d\\n"), data = row({1, 2});
  auto r = call("fprintf", 1, {readOnly.fid(), format.get(), data.get()});
  ASSERT_EQ(r.error, "");
  EXPECT_NE(readOnly.entry().status, 0);
  EXPECT_EQ(readOnly.entry().lastError, readOnly.entry().status);

  zqtest::OpenFile writable(dir.file("w.txt"), "w");
  Array badEscape = str("a\\qb");
  call("fprintf", 0, {writable.fid(), badEscape.get()});
  EXPECT_EQ(writable.entry().status, -8);
  Array star = str("%*d"), five = num(5);
  call("fprintf", 0, {writable.fid(), star.get(), five.get()});
  EXPECT_EQ(writable.entry().status, -13);
  EXPECT_EQ(fileText(dir.file("w.txt")), "a");
}

TEST(FprintfFile, RejectsBadArgumentsWithHostMessages) {
  Array format = str("%d"), negative = num(-1), unknown = num(77), number = num(1);
  zqtest::ScratchDir dir;
  zqtest::OpenFile file(dir.file("f.txt"), "w");
  EXPECT_EQ(call("fprintf", 0, {negative.get(), format.get()}).error, "Invalid file identifier.");
  EXPECT_EQ(call("fprintf", 0, {unknown.get(), format.get()}).error, "Invalid file identifier.");
  EXPECT_EQ(call("fprintf", 0, {file.fid()}).error, "Missing format.");
  EXPECT_EQ(call("fprintf", 0, {file.fid(), number.get()}).error, "Format must be a string.");
  EXPECT_EQ(call("fprintf", 2, {file.fid(), format.get()}).error, "Too many output arguments.");
}

}  // namespace
