// fwrite as users call it (the byte-exact files of every precision, format,
// bit field and skip are golden scripts): partial bytes across calls and
// flushes, counts and codes when the file refuses, flushing, and errors.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "builtins/zqbuiltins.h"
#include "fileio/scratch_files.h"
#include "host/ut.h"

namespace {

using zqtest::Bytes;
using zqtest::Inputs;

class Fwrite : public zqtest::FileTest {
 protected:
  // Writes inputs (data first) to a fresh file opened with permission, closes
  // it and returns its bytes; `count` receives fwrite's result.
  Bytes written(const Inputs &inputs, const char *permission = "w", double *count = nullptr,
                const Bytes &initial = {}) {
    const double fid = openWith(initial, permission, "out.bin");
    auto r = on("fwrite", 1, fid, inputs);
    EXPECT_EQ(r.error, "");
    if (count != nullptr && r.error.empty()) *count = qxGetScalar(r.outputs[0].get());
    zqtest::Array f = zqtest::num(fid);
    zqtest::call("fclose", 1, {f.get()});
    return zqtest::readBytes(dir.file("out.bin"));
  }
};

TEST_F(Fwrite, ContinuesPartialBytesAcrossCallsAndFilesKeepTheirBits) {
  const double fid = openWith({0xFF, 0xFF}, "r+", "bits.bin");
  on("fwrite", 1, fid, Inputs().n(0).s("ubit2").s("b"));
  on("fwrite", 1, fid, Inputs().n(0).s("ubit1").n(2).s("b"));  // skips two bits, keeping the file's
  auto q = on("fopen", 4, fid);
  EXPECT_EQ(zqtest::text(q.outputs[3].get()), "> 00110---");
  zqtest::Array f = zqtest::num(fid);
  zqtest::call("fclose", 1, {f.get()});
  EXPECT_EQ(zqtest::readBytes(dir.file("bits.bin")), (Bytes{0x37, 0xFF}));
}

TEST_F(Fwrite, HostFlushWritesPendingBitsThatLaterBitsComplete) {
  const double fid = openPath(dir.file("host.bin"), "w");
  const double quiet = openWith({1}, "r", "quiet.bin");
  on("fread", 1, quiet, Inputs().n(5));  // leaves the code "At end-of-file."
  on("fwrite", 1, fid, Inputs().n(5).s("ubit3").s("b"));
  EXPECT_TRUE(zqtest::readBytes(dir.file("host.bin")).empty());
  fiFlushWriteCarryByteFIO();
  EXPECT_EQ(zqtest::readBytes(dir.file("host.bin")), (Bytes{0xA0}));
  on("fwrite", 1, fid, Inputs().n(1).s("ubit5").s("b"));
  EXPECT_EQ(zqtest::readBytes(dir.file("host.bin")), (Bytes{0xA1}));
  EXPECT_EQ(qxGetScalar(on("ferror", 2, quiet).outputs[1].get()), -4);  // files without bits are untouched
}

TEST_F(Fwrite, ReportsCountsAndCodesWhenTheFileRefuses) {
  double count = -1;
  EXPECT_EQ(written(Inputs().m(1, 3, {1, 2, 3}), "r", &count, Bytes{5}), (Bytes{5}));
  EXPECT_EQ(count, 0);
  const double readOnly = openWith({5}, "r", "ro.bin");
  on("fwrite", 1, readOnly, Inputs().m(1, 3, {1, 2, 3}));
  auto e = on("ferror", 2, readOnly);
  EXPECT_EQ(qxGetScalar(e.outputs[1].get()), -5);

  const double full = openPath("/dev/full", "w");
  auto r = on("fwrite", 1, full, Inputs().a(zqtest::Array(qxCreateDoubleMatrix(1, 10000, 0))));
  EXPECT_LT(qxGetScalar(r.outputs[0].get()), 10000);
  e = on("ferror", 2, full);
  EXPECT_NE(qxGetScalar(e.outputs[1].get()), 0);
  EXPECT_NE(zqtest::text(e.outputs[0].get()), "");

  const double bits = openWith({}, "r", "robits.bin");
  on("fwrite", 1, bits, Inputs().n(1).s("ubit3"));
  zqtest::Array f = zqtest::num(bits);
  auto closed = zqtest::call("fclose", 1, {f.get()});
  EXPECT_EQ(qxGetScalar(closed.outputs[0].get()), -1);  // the pending bits cannot be written
  auto still = on("fopen", 1, bits);
  EXPECT_EQ(zqtest::text(still.outputs[0].get()), dir.file("robits.bin"));
  // Opening it again fails for the same reason and forgets the file.
  zqtest::Array name = zqtest::str(dir.file("robits.bin").c_str());
  auto again = zqtest::call("fopen", 2, {name.get()});
  EXPECT_EQ(qxGetScalar(again.outputs[0].get()), -1);
  EXPECT_EQ(zqtest::text(again.outputs[1].get()), "Is the file open for writing? . . .");
  EXPECT_EQ(zqtest::text(on("fopen", 1, bits).outputs[0].get()), "");
}

TEST_F(Fwrite, FlushesUnlessTheCapitalPermissionSaysNot) {
  const double flushed = openPath(dir.file("w.bin"), "w");
  on("fwrite", 1, flushed, Inputs().m(1, 2, {1, 2}));
  EXPECT_EQ(zqtest::readBytes(dir.file("w.bin")), (Bytes{1, 2}));
  const double buffered = openPath(dir.file("W.bin"), "W");
  on("fwrite", 1, buffered, Inputs().m(1, 2, {1, 2}));
  EXPECT_TRUE(zqtest::readBytes(dir.file("W.bin")).empty());
}

TEST_F(Fwrite, RaisesTheArgumentErrorsInOrder) {
  const double fid = openPath(dir.file("e.bin"), "w");
  const struct {
    double fid;
    Inputs inputs;
    const char *error;
  } cases[] = {
      {fid, Inputs().a(zqtest::Array(qxCreateCellMatrix(1, 1))), "Cannot write data: unsupported class cell"},
      {-1, Inputs().n(1), "Invalid file identifier."},
      {fid, Inputs().n(1).n(5), "Invalid precision."},
      {fid, Inputs().n(1).s("uchar").s("x").s("b"), "Invalid skip."},
      {fid, Inputs().n(1).s("uchar").s("q"), "Invalid machine format."},
      {99, Inputs().n(1).s("uchar"), "Invalid file identifier."},
      {fid, Inputs().n(1).s("*int16"), "Invalid precision."},
      {fid, Inputs().n(1).s("int16=>double"), "Invalid precision."},
      {fid, Inputs().n(1).s("uchar").n(-1), "Invalid skip."},
      {fid, Inputs(), "Not enough input arguments."},
  };
  for (const auto &c : cases) EXPECT_EQ(on("fwrite", 1, c.fid, c.inputs).error, c.error);
  EXPECT_EQ(on("fwrite", 2, fid, Inputs().n(1)).error, "Too many output arguments.");
}

TEST_F(Fwrite, WritesToStandardOutputWithoutAnAnswer) {
  zqtest::CallResult r;
  std::string out;
  {
    zqtest::StdoutCapture capture;
    r = zqtest::callWith("fwrite", 0, Inputs().n(1).s("hi").list());
    out = capture.text();
  }
  EXPECT_EQ(out, "hi");
  EXPECT_EQ(r.outputs[0], nullptr);
  const double fid = openPath(dir.file("n.bin"), "w");
  r = zqtest::callWith("fwrite", 0, Inputs().n(fid).m(0, 0, {}).list());
  ASSERT_NE(r.outputs[0], nullptr);
  EXPECT_EQ(qxGetScalar(r.outputs[0].get()), 0);
}

}  // namespace
