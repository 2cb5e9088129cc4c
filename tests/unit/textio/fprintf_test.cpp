// fprintf to the console and to files: what is written, the count output,
// and the codes a failing write leaves in the file's entry.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>

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

// A stream standing for a disk that fills up: it takes bytes until `room`
// are held (part of the write that crosses the limit), then fails every
// write. Its buffer is that of the library's files, so blocks of text reach
// it whole, as they reach a file.
struct FullDisk {
  std::string held;
  size_t room = 0;
  bool full = false;
  int writesWhenFull = 0;

  static ssize_t write(void *cookie, const char *data, size_t size) {
    auto &disk = *static_cast<FullDisk *>(cookie);
    if (disk.full) ++disk.writesWhenFull;
    const size_t taken = std::min(size, disk.room - disk.held.size());
    disk.held.append(data, taken);
    if (taken > 0) return static_cast<ssize_t>(taken);
    disk.full = true;
    errno = ENOSPC;
    return -1;
  }

  FILE *open() {
    FILE *stream = fopencookie(this, "w", cookie_io_functions_t{nullptr, &FullDisk::write, nullptr, nullptr});
    std::setvbuf(stream, nullptr, _IOFBF, 8192);
    return stream;
  }
};

// About 600 KB of numbered lines, with the text they make.
struct LongText {
  Array format = str("%09d\\n"), numbers = Array(qxCreateDoubleMatrix(1, 60000, 0));
  std::string expected;
  LongText() {
    char line[16];
    for (int k = 0; k < 60000; ++k) {
      qxGetPr(numbers.get())[k] = k + 1;
      std::snprintf(line, sizeof line, "%09d\n", k + 1);
      expected += line;
    }
  }
};

TEST(FprintfFailedWrite, StopsAtTheFailureAndCountsWhatTheStreamTook) {
  const LongText text;
  FullDisk disk;  // outlives the file that writes to it
  disk.room = 100000;
  zqtest::ScratchDir dir;
  zqtest::OpenFile file(dir.file("unused.txt"), "w");
  std::fclose(file.entry().stream);
  file.entry().stream = disk.open();
  auto r = call("fprintf", 1, {file.fid(), text.format.get(), text.numbers.get()});
  ASSERT_EQ(r.error, "");
  // Once the disk is full nothing more is tried: no later text can land
  // past a gap.
  EXPECT_EQ(disk.writesWhenFull, 0);
  EXPECT_EQ(disk.held, text.expected.substr(0, disk.room));
  EXPECT_EQ(qxGetScalar(r.outputs[0].get()), static_cast<double>(disk.room));
  EXPECT_NE(file.entry().status, 0);
  auto e = call("ferror", 2, {file.fid()});
  EXPECT_EQ(qxGetScalar(e.outputs[1].get()), file.entry().status);
}

TEST(FprintfFailedWrite, AFullDeviceIsReportedByFerrorAndFclose) {
  const LongText text;
  Array path = str("/dev/full"), mode = str("w");
  auto opened = call("fopen", 1, {path.get(), mode.get()});
  ASSERT_EQ(opened.error, "");
  const qxArray *fid = opened.outputs[0].get();
  ASSERT_GE(qxGetScalar(fid), 3);
  auto r = call("fprintf", 1, {fid, text.format.get(), text.numbers.get()});
  EXPECT_LT(qxGetScalar(r.outputs[0].get()), 8192);
  auto e = call("ferror", 2, {fid});
  EXPECT_NE(qxGetScalar(e.outputs[1].get()), 0);
  EXPECT_EQ(qxGetScalar(call("fclose", 1, {fid}).outputs[0].get()), -1);
}

// A call that fails for its format or data keeps the text it made before.
TEST(FprintfFailedWrite, TextBeforeAFormatFailureStaysWritten) {
  Array abc = str("abc"), five = num(5), dangling = str("%d %"), oneToThree = row({1, 2, 3});
  Array lines = str("%d\\n"), empty = Array(qxCreateDoubleMatrix(0, 0, 0));
  const struct {
    std::vector<const qxArray *> inputs;
    std::string written;
    int status;
  } cases[] = {
      {{abc.get(), five.get()}, "abc", -9},
      {{dangling.get(), oneToThree.get()}, "1 ", -8},
      {{lines.get(), oneToThree.get(), empty.get()}, "1\n2\n3\n", -29},
  };
  for (const auto &c : cases) {
    zqtest::ScratchDir dir;
    const std::string path = dir.file("out.txt");
    {
      zqtest::OpenFile file(path, "w");
      std::vector<const qxArray *> inputs = {file.fid()};
      inputs.insert(inputs.end(), c.inputs.begin(), c.inputs.end());
      auto r = zqtest::callWith("fprintf", 1, inputs);
      ASSERT_EQ(r.error, "");
      EXPECT_EQ(qxGetScalar(r.outputs[0].get()), static_cast<double>(c.written.size()));
      EXPECT_EQ(file.entry().status, c.status);
    }
    EXPECT_EQ(fileText(path), c.written);
  }
}

}  // namespace
