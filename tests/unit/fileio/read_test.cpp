// fread as users call it: sizes and shapes, precisions and result classes,
// skips, foreign formats, bit fields, the end of the file and the errors.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fileio/scratch_files.h"
#include "host/ut.h"

namespace {

using zqtest::Bytes;
using zqtest::Inputs;

class Fread : public zqtest::FileTest {
 protected:
  struct Read {
    std::string error;
    int rows = 0, cols = 0, classId = 0;
    std::vector<double> values;
    double count = -1;
  };
  Read read(double fid, const Inputs &inputs = Inputs()) {
    zqtest::CallResult r = on("fread", 2, fid, inputs);
    Read out;
    out.error = r.error;
    if (!r.error.empty()) return out;
    const qxArray *a = r.outputs[0].get();
    out.rows = qxGetM(a);
    out.cols = qxGetN(a);
    out.classId = qxGetClassID(a);
    out.values = zqtest::valuesOf(a);
    out.count = qxGetScalar(r.outputs[1].get());
    return out;
  }
  // A file, the inputs after the fid, and the values fread gives.
  struct ReadCase {
    const char *what;
    Bytes file;
    Inputs inputs;
    std::vector<double> values;
  };
  void expectReads(const std::vector<ReadCase> &cases) {
    for (const auto &c : cases) {
      const double fid = openWith(c.file);
      const Read r = read(fid, c.inputs);
      ASSERT_EQ(r.error, "") << c.what;
      EXPECT_EQ(r.values, c.values) << c.what;
    }
  }
};

const Bytes kTen = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
const Bytes kFive = {1, 2, 3, 4, 5};
constexpr double kInf = INFINITY;

TEST_F(Fread, ShapesTheResultBySize) {
  const struct {
    const char *what;
    Bytes file;
    bool withSize;
    std::vector<double> size;
    int rows, cols;
    std::vector<double> values;
    double count;
  } cases[] = {
      {"no size", kTen, false, {}, 10, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 10},
      {"no size, empty file", {}, false, {}, 0, 0, {}, 0},
      {"inf, empty file", {}, true, {kInf}, 0, 1, {}, 0},
      {"[2 inf]", kFive, true, {2, kInf}, 2, 3, {1, 2, 3, 4, 5, 0}, 5},
      {"[1 inf]", kFive, true, {1, kInf}, 1, 5, {1, 2, 3, 4, 5}, 5},
      {"inf", kFive, true, {kInf}, 5, 1, {1, 2, 3, 4, 5}, 5},
      {"[4 2] of 3", {1, 2, 3}, true, {4, 2}, 3, 1, {1, 2, 3}, 3},
      {"[4 2] of 0", {}, true, {4, 2}, 4, 0, {}, 0},
      {"[2 2] of 5", kFive, true, {2, 2}, 2, 2, {1, 2, 3, 4}, 4},
      {"[1 3]", kFive, true, {1, 3}, 1, 3, {1, 2, 3}, 3},
      {"0", kFive, true, {0}, 0, 0, {}, 0},
      {"[0 inf]", kFive, true, {0, kInf}, 0, 0, {}, 0},
      {"2.9", kFive, true, {2.9}, 2, 1, {1, 2}, 2},
  };
  for (const auto &c : cases) {
    const double fid = openWith(c.file);
    Inputs in;
    if (c.withSize && c.size.size() == 1) in.n(c.size[0]);
    if (c.withSize && c.size.size() == 2) in.m(1, 2, {c.size[0], c.size[1]});
    const Read r = read(fid, in);
    ASSERT_EQ(r.error, "") << c.what;
    EXPECT_EQ(r.rows, c.rows) << c.what;
    EXPECT_EQ(r.cols, c.cols) << c.what;
    EXPECT_EQ(r.values, c.values) << c.what;
    EXPECT_EQ(r.count, c.count) << c.what;
    EXPECT_EQ(r.classId, QX_CLASS_DOUBLE) << c.what;
  }
}

TEST_F(Fread, ConvertsToTheResultClassOfThePrecision) {
  const bool little = utGetDataSizeType() == 0;
  const Bytes words = little ? Bytes{1, 0, 0xFE, 0xFF, 3, 0} : Bytes{0, 1, 0xFF, 0xFE, 0, 3};
  std::vector<double> asUnsigned, asSigned;
  for (uint8_t b : words) {
    asUnsigned.push_back(b);
    asSigned.push_back(static_cast<int8_t>(b));
  }
  const struct {
    const char *precision;
    int classId;
    std::vector<double> values;
  } cases[] = {
      {"int16", QX_CLASS_DOUBLE, {1, -2, 3}},           {"*int16", QX_CLASS_INT16, {1, -2, 3}},
      {"uint16=>uint8", QX_CLASS_UINT8, {1, 255, 3}},   {"int16=>char", QX_CLASS_CHAR, {1, 0, 3}},
      {"2*int16=>single", QX_CLASS_SINGLE, {1, -2, 3}}, {"*uchar", QX_CLASS_UINT8, asUnsigned},
      {"schar=>int32", QX_CLASS_INT32, asSigned},
  };
  for (const auto &c : cases) {
    const double fid = openWith(words);
    const Read r = read(fid, Inputs().s(c.precision));
    ASSERT_EQ(r.error, "") << c.precision;
    EXPECT_EQ(r.classId, c.classId) << c.precision;
    EXPECT_EQ(r.values, c.values) << c.precision;
  }
}

TEST_F(Fread, CountsBytesWithoutConversion) {
  const double fid = openWith({1, 0, 2, 0, 3, 0});
  const Read r = read(fid, Inputs().n(6).s("noconvert=>int16"));
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.classId, QX_CLASS_INT16);
  EXPECT_EQ(r.rows, 1);
  EXPECT_EQ(r.cols, 3);
  EXPECT_EQ(r.count, 6);
  const double again = openWith({9, 8, 7}, "r", "odd.bin");
  const Read odd = read(again, Inputs().s("noconvert=>uint8"));
  EXPECT_EQ(odd.values, (std::vector<double>{9, 8, 7}));
  EXPECT_EQ(odd.count, 3);
}

TEST_F(Fread, SkipsAfterEveryBlock) {
  Bytes words;
  for (int i = 1; i <= 8; ++i) {
    const int16_t v = static_cast<int16_t>(i);
    words.push_back(reinterpret_cast<const uint8_t *>(&v)[0]);
    words.push_back(reinterpret_cast<const uint8_t *>(&v)[1]);
  }
  Bytes big(20000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i / 10000 + 1);
  expectReads({
      {"int16 words 1, 3, 5", words, Inputs().n(3).s("int16").n(2), {1, 3, 5}},
      {"bytes 1, 2, 4, 5", kTen, Inputs().n(4).s("2*uint8").n(1), {1, 2, 4, 5}},
      {"to the end", kTen, Inputs().s("3*uint8").n(2), {1, 2, 3, 6, 7, 8}},
      {"skip past the end", kTen, Inputs().s("uint8").n(9), {1}},
      {"a seeking skip", big, Inputs().s("uint8").n(9999), {1, 2}},
      {"a seeking skip past the end", big, Inputs().s("uint8").n(30000), {1}},
      {"whole blocks across chunks", Bytes(3000, 7), Inputs().s("2*uint8").n(1), std::vector<double>(2000, 7)},
  });
}

TEST_F(Fread, ReadsForeignMachineFormats) {
  expectReads({
      {"ieee-be int16", {0xFF, 0xFE, 0x01, 0x02}, Inputs().s("int16").s("b"), {-2, 258}},
      {"ieee-be double", {0x3F, 0xF0, 0, 0, 0, 0, 0, 0}, Inputs().s("double").s("ieee-be"), {1.0}},
      {"vaxd double", {0x20, 0xC1, 0, 0, 0, 0, 0, 0}, Inputs().s("double").s("d"), {-2.5}},
      {"vaxg float", {0x80, 0x40, 0, 0}, Inputs().s("float32").s("g"), {1.0}},
      {"cray double", {0x40, 0x01, 0x80, 0, 0, 0, 0, 0}, Inputs().s("float64").s("c"), {1.0}},
      {"ieee-be int64", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}, Inputs().s("int64").s("b"), {-2}},
      {"ieee-le uint32 to single", {1, 1, 0, 0}, Inputs().s("uint32=>single").s("l"), {257}},
      {"ieee-be int16 with skip", {0, 1, 9, 0, 2}, Inputs().s("int16").n(1).s("b"), {1, 2}},
  });
}

TEST_F(Fread, ReadsBitFieldsInBothByteOrders) {
  expectReads({
      {"ubit4 big-endian", {0xA5}, Inputs().s("ubit4").s("b"), {10, 5}},
      {"ubit4 little-endian", {0xA5}, Inputs().s("ubit4").s("l"), {5, 10}},
      {"bit4 big-endian", {0xF0}, Inputs().s("bit4").s("b"), {-1, 0}},
      {"ubit12 across bytes", {0xAB, 0xCD, 0xEF}, Inputs().s("ubit12").s("b"), {0xABC, 0xDEF}},
      {"ubit12 little-endian", {0xAB, 0xCD, 0xEF}, Inputs().s("ubit12").s("l"), {0xDAB, 0xEFC}},
      {"container padding first", {0x1F}, Inputs().s("ubit3in4").s("b"), {1, 7}},
      {"container padding after", {0xF1}, Inputs().s("ubit3in4").s("l"), {1, 7}},
      {"bit64", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}, Inputs().s("bit64").s("b"), {-2}},
      {"skip in bits", {0xA5, 0xC3}, Inputs().s("ubit2").n(2).s("b"), {2, 1, 3, 0}},
      {"skip of whole bytes in bits", {0xF1, 0xAA, 0x2F}, Inputs().s("ubit4").n(12).s("b"), {15, 2}},
  });
}

TEST_F(Fread, CarriesPartialBytesAcrossCallsButNotIntoByteReads) {
  const double fid = openWith({0xA5, 0x3C, 0x77});
  EXPECT_EQ(read(fid, Inputs().n(1).s("ubit4").s("b")).values, (std::vector<double>{10}));
  EXPECT_EQ(read(fid, Inputs().n(1).s("ubit4").s("b")).values, (std::vector<double>{5}));
  EXPECT_EQ(read(fid, Inputs().n(1).s("ubit4").s("b")).values, (std::vector<double>{3}));
  EXPECT_EQ(read(fid, Inputs().n(1).s("uint8")).values, (std::vector<double>{0x77}));  // the rest of 0x3C is dropped
}

TEST_F(Fread, RaisesTheArgumentErrors) {
  const double fid = openWith(kTen);
  const struct {
    double fid;
    Inputs inputs;
    const char *error;
  } cases[] = {
      {0, Inputs(), "Standard input cannot be read here."},
      {-1, Inputs(), "Invalid file identifier."},
      {99, Inputs(), "Invalid file identifier."},
      {99, Inputs().s("uchar").s("x"), "Invalid machine format."},
      {fid, Inputs().n(-1), "Invalid size."},
      {fid, Inputs().m(2, 1, {2, 3}), "Invalid size."},
      {fid, Inputs().m(1, 3, {1, 2, 3}), "Invalid size."},
      {fid, Inputs().n(NAN), "Invalid size."},
      {fid, Inputs().m(1, 2, {3e9, 1}), "Invalid size."},
      {fid, Inputs().m(1, 2, {1e5, 1e5}), "Invalid size."},
      {fid, Inputs().n(3).n(5), "Invalid precision."},
      {fid, Inputs().s("uint7x"), "Invalid precision."},
      {fid, Inputs().s("uchar").n(-1), "Invalid skip."},
      {fid, Inputs().n(3).s("uchar").s("x").s("n"), "Invalid skip."},
      {fid, Inputs().n(3).s("uchar").n(0).s("n").n(1), "Too many input arguments."},
  };
  for (const auto &c : cases) EXPECT_EQ(read(c.fid, c.inputs).error, c.error);
  EXPECT_EQ(on("fread", 3, fid).error, "Too many output arguments.");
}

TEST_F(Fread, ReportsTheEndOfTheFileAndWriteOnlyFiles) {
  const double fid = openWith(kFive);
  EXPECT_EQ(read(fid, Inputs().n(10)).count, 5);
  auto status = on("ferror", 2, fid);
  ASSERT_EQ(status.error, "");
  EXPECT_EQ(qxGetScalar(status.outputs[1].get()), -4);
  const double out = openPath(dir.file("w.bin"), "w");
  EXPECT_EQ(read(out).count, 0);
  status = on("ferror", 2, out);
  EXPECT_EQ(zqtest::text(status.outputs[0].get()), "Is the file open for reading? . . .");
}

}  // namespace
