// fseek, ftell, feof, ferror and flush: moving only inside the file, the
// refusal codes, and the reporting and clearing of codes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "builtins/zqbuiltins.h"
#include "fileio/scratch_files.h"

namespace {

using zqtest::Inputs;

class Positioning : public zqtest::FileTest {
 protected:
  double value(const char *name, double fid, const Inputs &in = Inputs()) {
    auto r = on(name, 1, fid, in);
    EXPECT_EQ(r.error, "") << name;
    return r.error.empty() ? qxGetScalar(r.outputs[0].get()) : -99;
  }
  std::pair<std::string, double> status(double fid, const Inputs &in = Inputs()) {
    auto r = on("ferror", 2, fid, in);
    EXPECT_EQ(r.error, "");
    return {zqtest::text(r.outputs[0].get()), qxGetScalar(r.outputs[1].get())};
  }
};

TEST_F(Positioning, SeeksOnlyInsideTheFile) {
  const zqtest::Bytes ten(10, 1);
  const struct {
    double start;
    double offset;
    const char *origin;
    double result, position, code;
  } cases[] = {
      {0, 10, "bof", 0, 10, 0},          {0, 11, "bof", -1, 0, -27},  {4, -1, "bof", -1, 4, -26},
      {0, 0.5, "bof", -1, 0, -28},       {0, NAN, "cof", -1, 0, -25}, {0, INFINITY, "bof", -1, 0, -27},
      {0, -INFINITY, "eof", -1, 0, -26}, {0, -3, "eof", 0, 7, 0},     {0, -11, "eof", -1, 0, -26},
      {0, 0, "eof", 0, 10, 0},           {0, 1, "eof", -1, 0, -27},   {4, 3, "cof", 0, 7, 0},
      {4, -4, "cof", 0, 0, 0},           {4, -5, "cof", -1, 4, -26},  {4, 7, "cof", -1, 4, -27},
      {4, 6, "cof", 0, 10, 0},           {2, 3e9, "bof", -1, 2, -27},
  };
  // A file open only for reading is measured without moving; one open for
  // update is measured by seeking to its end: both must agree.
  for (const char *permission : {"r", "r+"}) {
    for (const auto &c : cases) {
      const double fid = openWith(ten, permission);
      if (c.start > 0) value("fseek", fid, Inputs().n(c.start).s("bof"));
      EXPECT_EQ(value("fseek", fid, Inputs().n(c.offset).s(c.origin)), c.result)
          << permission << " " << c.offset << " " << c.origin;
      EXPECT_EQ(status(fid).second, c.code) << permission << " " << c.offset << " " << c.origin;
      EXPECT_EQ(value("ftell", fid), c.position) << permission << " " << c.offset << " " << c.origin;
    }
  }
  // Bytes written but still in the stream's buffer count as part of the file.
  const double buffered = openWith(ten, "A", "grown.bin");
  on("fwrite", 1, buffered, Inputs().m(1, 3, {7, 8, 9}));
  EXPECT_EQ(value("fseek", buffered, Inputs().n(13).s("bof")), 0);
  EXPECT_EQ(value("fseek", buffered, Inputs().n(-13).s("eof")), 0);
  EXPECT_EQ(value("ftell", buffered), 0);

  const double fid = openWith(ten);
  EXPECT_EQ(value("fseek", fid, Inputs().n(3).n(-1)), 0);
  EXPECT_EQ(value("fseek", fid, Inputs().n(2).n(0)), 0);
  EXPECT_EQ(value("ftell", fid), 5);
  EXPECT_EQ(status(fid).first, "");
}

TEST_F(Positioning, RaisesTheArgumentErrors) {
  const double fid = openWith({1, 2, 3});
  const struct {
    const char *name;
    double fid;
    Inputs inputs;
    const char *error;
  } cases[] = {
      {"fseek", fid, Inputs().n(0).n(2), "Invalid origin."},
      {"fseek", fid, Inputs().n(0).s("BOF"), "Invalid origin."},
      {"fseek", fid, Inputs().n(0).m(0, 0, {}), "Invalid origin."},
      {"fseek", fid, Inputs().m(0, 0, {}).n(0), "Offset must not be empty."},
      {"fseek", fid, Inputs().n(0), "Not enough input arguments."},
      {"fseek", fid, Inputs().n(0).n(0).n(0), "Too many input arguments."},
      {"fseek", -1, Inputs().n(0).n(0), "Invalid file identifier."},
      {"ftell", 99, Inputs(), "Invalid file identifier."},
      {"ftell", fid, Inputs().n(1), "Too many input arguments."},
      {"feof", -2, Inputs(), "Invalid file identifier."},
      {"ferror", fid, Inputs().s("CLEAR"), "The only option is 'clear'."},
      {"ferror", fid, Inputs().n(1), "Option must be a string."},
      {"ferror", fid, Inputs().s("clear").s("clear"), "Too many input arguments."},
  };
  for (const auto &c : cases) EXPECT_EQ(on(c.name, 1, c.fid, c.inputs).error, c.error) << c.name;
  EXPECT_EQ(on("ferror", 3, fid).error, "Too many output arguments.");
  EXPECT_EQ(on("ftell", 2, fid).error, "Too many output arguments.");
}

TEST_F(Positioning, ReportsAndClearsTheCodes) {
  const double fid = openWith({1, 2, 3});
  EXPECT_EQ(value("ftell", fid), 0);
  EXPECT_EQ(value("feof", fid), 0);
  on("fread", 1, fid, Inputs().n(10));
  EXPECT_EQ(status(fid), (std::pair<std::string, double>{"At end-of-file.", -4}));
  EXPECT_EQ(status(fid, Inputs().s("clear")), (std::pair<std::string, double>{"At end-of-file.", -4}));
  EXPECT_EQ(status(fid), (std::pair<std::string, double>{"", 0}));
  on("fread", 1, fid, Inputs().n(10));
  EXPECT_EQ(value("feof", fid), 1);
  EXPECT_EQ(status(fid), (std::pair<std::string, double>{"Sorry. No help in figuring out the problem . . .", -1}));
  EXPECT_EQ(value("fseek", fid, Inputs().n(0).s("bof")), 0);
  EXPECT_EQ(value("feof", fid), 0);
}

TEST_F(Positioning, FlushesOnRequestAfterUnflushedWrites) {
  const double fid = openPath(dir.file("f.bin"), "W");
  EXPECT_EQ(on("fwrite", 1, fid, Inputs().m(1, 3, {1, 2, 3})).error, "");
  EXPECT_TRUE(zqtest::readBytes(dir.file("f.bin")).empty());  // "W" does not flush
  // The flush operation has no builtin name: other libraries call fiFcn.
  zqtest::Array fidArray = zqtest::num(fid);
  qxArray *in[] = {fidArray.get()};
  qxArray *out[1] = {nullptr};
  EXPECT_EQ(fiFcn(0, out, 12, 1, in), 0);
  EXPECT_EQ(out[0], nullptr);
  EXPECT_EQ(zqtest::readBytes(dir.file("f.bin")), (zqtest::Bytes{1, 2, 3}));
}

}  // namespace
