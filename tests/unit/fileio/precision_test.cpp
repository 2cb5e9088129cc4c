// Precision strings: names, bit fields, containers, block counts, the *
// and => rules, the 64-bit format switch, and robustness on any input.
#include "fileio/precision.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "host/ut.h"
#include "support/host_fixture.h"

namespace {

using zq::fileio::parsePrecision;
using zq::fileio::PrecisionSpec;
using zq::fileio::stripBlanks;

constexpr int kLe = 0, kBe = 1, kVaxD = 2, kCray = 4, kLe64 = 5, kBe64 = 6;

struct Parsed {
  bool ok;
  PrecisionSpec prec;
};

Parsed parse(std::string s, int format = kLe, int preset = 0) {
  PrecisionSpec prec;
  prec.format = format;
  prec.inputType = preset;
  stripBlanks(s.data());
  s.resize(std::char_traits<char>::length(s.c_str()));
  const bool ok = parsePrecision(s.c_str(), prec) == 0;
  return {ok, prec};
}

TEST(Precision, ReadsNamesBitFieldsAndContainersForReading) {
  const struct {
    const char *text;
    int format, input, output, bits, block, fileSize, formatAfter;
  } cases[] = {
      {"uchar", kLe, 6, 11, 0, 1, 0, kLe},
      {"unsigned char", kLe, 6, 11, 0, 1, 0, kLe},
      {"uint8", kLe, 6, 11, 0, 1, 0, kLe},
      {"char*1", kLe, 1, 11, 0, 1, 0, kLe},
      {"int", kLe, 4, 11, 0, 1, 0, kLe},
      {"real * 8", kLe, 11, 11, 0, 1, 0, kLe},
      {"int16", kBe, 3, 11, 0, 1, 2, kBe},  // a foreign format gives the file size
      {"float", kCray, 10, 11, 0, 1, 8, kCray},
      {"long", kLe, 5, 11, 0, 1, 0, kLe},
      {"int64", kLe, 5, 11, 0, 1, 8, kLe64},  // 64-bit names switch the format
      {"uint64", kBe, 9, 11, 0, 1, 8, kBe64},
      {"int64", kCray, 5, 11, 0, 1, 8, kBe64},
      {"int64", kVaxD, 5, 11, 0, 1, 8, kLe64},
      {"int64", kLe64, 5, 11, 0, 1, 8, kLe64},
      {"bit12", kLe, 3, 11, 12, 1, 0, kLe},
      {"ubit3in8", kLe, 6, 11, 3, 1, 8, kLe},
      {"bit1in64", kBe, 5, 11, 1, 1, 64, kBe},
      {"ubit40", kBe, 9, 11, 40, 1, 0, kBe64},
      {"bit33in40", kLe, 5, 11, 33, 1, 40, kLe64},
      {"uint8 in 8", kLe, 6, 11, 8, 1, 8, kLe},  // a container form, not the name uint8
      {"ubit32", kLe, 8, 11, 32, 1, 0, kLe},
      {"10*int16", kLe, 3, 11, 0, 10, 0, kLe},
      {"*int16", kLe, 3, 3, 0, 1, 0, kLe},
      {"*double", kLe64, 11, 11, 0, 1, 8, kLe64},
      {"*long", kLe, 5, 5, 0, 1, 0, kLe},
      {"*ubit64in64", kLe, 9, 9, 64, 1, 64, kLe64},
      {"int16=>char", kLe, 3, 1, 0, 1, 0, kLe},
      {"2*uint8=>double", kLe, 6, 11, 0, 2, 0, kLe},
      {"ubit4=>ubit8", kLe, 6, 6, 4, 1, 0, kLe},
      {"bit4=>bit32", kLe, 2, 4, 4, 1, 0, kLe},
      {"noconvert=>int16", kLe, 12, 3, 0, 1, 0, kLe},
      {"int64=>int32", kLe, 5, 4, 0, 1, 8, kLe64},
      {"uchar=>long", kLe, 6, 5, 0, 1, 0, kLe},  // long is 4 bytes in the transfer's format
  };
  for (const auto &c : cases) {
    const Parsed p = parse(c.text, c.format);
    ASSERT_TRUE(p.ok) << c.text;
    EXPECT_EQ(p.prec.inputType, c.input) << c.text;
    EXPECT_EQ(p.prec.outputType, c.output) << c.text;
    EXPECT_EQ(p.prec.bitCount, c.bits) << c.text;
    EXPECT_EQ(p.prec.blockCount, c.block) << c.text;
    EXPECT_EQ(p.prec.fileSize, c.fileSize) << c.text;
    EXPECT_EQ(p.prec.format, c.formatAfter) << c.text;
  }
}

TEST(Precision, RefusesMalformedStringsForReading) {
  const char *const invalid[] = {
      "",
      "*",
      "=>",
      "char*2",
      "bit0",
      "bit65",
      "ubit3in2",
      "bit9in70",
      "bit-3",
      "ubit0in8",
      "bitin8",
      "ubit3in",
      "ubit3in8x",
      "0*int16",
      "-2*int16",
      "10int16",
      "*10*int16",
      "10*",
      "10**int16",
      "99999999999*int16",
      "bit99999999999",
      "int16=char",
      "int16=>",
      "int16=>bit16",
      "int16=>ubit16",
      "int16=>ubit8in8",
      "int16=>int64",
      "int16=>noconvert",
      "*int16=>char",
      "*int64",
      "*bit64",
      "*noconvert",
      "int16=>double=>char",
      "double x",
      "float64 8",
      "ushort=>float=>",
      "integer*3",
      "int16*",
      "nonsense",
  };
  for (const char *text : invalid) EXPECT_FALSE(parse(text).ok) << "'" << text << "'";
  EXPECT_FALSE(parse("uchar=>float", kCray).ok);  // cray floats are 8 bytes: no result class
}

TEST(Precision, NamesTheFileTypeForWritingAndRefusesResultClasses) {
  const struct {
    const char *text;
    bool ok;
    int output, bits, block;
  } cases[] = {
      {"int16", true, 3, 0, 1},   {"ubit5", true, 6, 5, 1},          {"4*float", true, 10, 0, 4},
      {"*int16", false, 0, 0, 0}, {"int16=>double", false, 0, 0, 0}, {"bit0", false, 0, 0, 0},
  };
  for (const auto &c : cases) {
    const Parsed p = parse(c.text, kLe, 11);
    ASSERT_EQ(p.ok, c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(p.prec.inputType, 11) << c.text;
    EXPECT_EQ(p.prec.outputType, c.output) << c.text;
    EXPECT_EQ(p.prec.bitCount, c.bits) << c.text;
    EXPECT_EQ(p.prec.blockCount, c.block) << c.text;
  }
}

TEST(Precision, WarnsOnlyForIntNAndUintNThatAreNotNames) {
  zqtest::registerBuiltins();
  const struct {
    const char *text;
    const char *warning;
    int type, bits;
  } cases[] = {
      {"uint8", "", 6, 0},
      {"int7", "warning: Please use bit* instead of int*\n", 2, 7},
      {"uint12", "warning: Please use ubit* instead of uint*\n", 7, 12},
      {"uint12in16", "", 7, 12},
  };
  for (const auto &c : cases) {
    zqtest::StdoutCapture capture;
    const Parsed p = parse(c.text);
    EXPECT_EQ(capture.text(), c.warning) << c.text;
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.prec.inputType, c.type) << c.text;
    EXPECT_EQ(p.prec.bitCount, c.bits) << c.text;
  }
}

// Every prefix of every valid form, and random strings over the alphabet
// of precisions: the parser must return without reading past the end (the
// sanitizer build checks the memory accesses).
TEST(Precision, SurvivesEveryPrefixAndRandomStrings) {
  zqtest::registerBuiltins();
  const char *const forms[] = {"*10*unsignedshort=>uint32", "bit33in64=>bit32",  "integer*8=>real*4",
                               "2*ubit7in8=>ubit8",         "noconvert=>char*1", "signedchar=>int8"};
  std::vector<std::string> inputs;
  for (const std::string form : forms) {
    for (size_t n = 0; n <= form.size(); ++n) inputs.push_back(form.substr(0, n));
  }
  std::mt19937 rng(99);
  const std::string alphabet = "*=>0123456789-+ inbtucharlogsdfe8";
  for (int i = 0; i < 20000; ++i) {
    std::string s(rng() % 24, ' ');
    for (char &ch : s) ch = alphabet[rng() % alphabet.size()];
    inputs.push_back(s);
  }
  zqtest::StdoutCapture quiet;  // intN forms warn
  for (const std::string &input : inputs) {
    for (int preset : {0, 3}) {
      // An exact-size heap copy, so that a read past the end is caught.
      std::vector<char> exact(input.begin(), input.end());
      exact.push_back('\0');
      PrecisionSpec prec;
      prec.inputType = preset;
      stripBlanks(exact.data());
      const int result = parsePrecision(exact.data(), prec);
      if (result == 0) {
        EXPECT_GE(prec.blockCount, 1) << input;
        EXPECT_GE(prec.format, 0) << input;
      }
    }
  }
}

}  // namespace
