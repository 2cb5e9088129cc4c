// sscanf and fscanf as a user sees them: the values, their shape and
// class, the count, the message and the next index; the two families on
// the same inputs, where they agree and where they differ.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fileio/scratch_files.h"
#include "support/host_fixture.h"
#include "textio/open_file.h"

namespace {

using zqtest::Array;
using zqtest::call;
using zqtest::str;

struct Expected {
  int rows, cols;
  bool isChar;
  std::vector<double> values;  // column-major
  int count;
  const char *message;
};

struct Case {
  const char *text;
  const char *format;
  std::vector<double> size;  // none when empty
  Expected expected;
};

Array sizeArray(const std::vector<double> &size) {
  Array a(qxCreateDoubleMatrix(1, static_cast<int>(size.size()), 0));
  std::copy(size.begin(), size.end(), qxGetPr(a.get()));
  return a;
}

void expectResult(const zqtest::CallResult &r, const Expected &e, const std::string &what) {
  ASSERT_EQ(r.error, "") << what;
  const qxArray *values = r.outputs[0].get();
  EXPECT_EQ(qxGetM(values), e.rows) << what;
  EXPECT_EQ(qxGetN(values), e.cols) << what;
  EXPECT_EQ(qxIsChar(values) != 0, e.isChar) << what;
  std::vector<double> got;
  got.reserve(static_cast<size_t>(qxGetNumberOfElements(values)));
  for (int i = 0; i < qxGetNumberOfElements(values); ++i) {
    got.push_back(qxIsChar(values) ? qxGetChars(values)[i] : qxGetPr(values)[i]);
  }
  EXPECT_EQ(got, e.values) << what;
  EXPECT_EQ(qxGetScalar(r.outputs[1].get()), e.count) << what;
}

zqtest::CallResult runSscanf(const Case &c) {
  Array text = str(c.text), format = str(c.format), size = sizeArray(c.size);
  return c.size.empty() ? call("sscanf", 4, {text.get(), format.get()})
                        : call("sscanf", 4, {text.get(), format.get(), size.get()});
}

// Cases where both families read the same values.
const Case kShared[] = {
    {"1 2 3", "%d", {}, {3, 1, false, {1, 2, 3}, 3, ""}},
    {"3 4 abc", "%d", {}, {2, 1, false, {3, 4}, 2, "Matching failure in format."}},
    {"abc def", "%s", {}, {1, 6, true, {'a', 'b', 'c', 'd', 'e', 'f'}, 2, ""}},
    {"1 2 3 4 5", "%d", {2, 3}, {2, 3, false, {1, 2, 3, 4, 5, 0}, 5, ""}},
    {"1 2 3 4 5", "%d", {0}, {0, 0, false, {}, 0, ""}},
    {"1 2 3 4 5", "%d", {3}, {3, 1, false, {1, 2, 3}, 3, ""}},
    {"1 2 3 4 5", "%d", {1, INFINITY}, {1, 5, false, {1, 2, 3, 4, 5}, 5, ""}},
    {"abc", "%c", {1, INFINITY}, {1, 3, true, {'a', 'b', 'c'}, 3, ""}},
    {"ab cd ef", "%s", {2}, {1, 4, true, {'a', 'b', 'c', 'd'}, 2, ""}},
    {"x=5", "x=%d", {}, {1, 1, false, {5}, 1, ""}},
    {"10 0x10 010", "%i", {}, {3, 1, false, {10, 16, 8}, 3, ""}},
    {"1,2,3", "%d,%*d,%d", {}, {2, 1, false, {1, 3}, 2, ""}},
    {"-7 40000 -1", "%hd %hu %u", {}, {3, 1, false, {-7, 40000, 4294967295}, 3, ""}},
    {"ff 17 1e3 2.5", "%x %o %f %f", {}, {4, 1, false, {255, 15, 1000, 2.5}, 4, ""}},
    {"abc123def", "%[a-c]%d%[^x]", {}, {7, 1, false, {'a', 'b', 'c', 123, 'd', 'e', 'f'}, 3, ""}},
    {"a]b-c", "%[]a]%[-b]%c", {}, {1, 5, true, {'a', ']', 'b', '-', 'c'}, 3, ""}},
    {"zyx", "%[z-x]", {}, {1, 3, true, {'z', 'y', 'x'}, 1, ""}},
    {"50% off", "%d%% %s", {}, {4, 1, false, {50, 'o', 'f', 'f'}, 2, ""}},
    {"0.1", "%hf", {}, {1, 1, false, {static_cast<float>(0.1)}, 1, ""}},
    {"12345", "%3d%d", {}, {2, 1, false, {123, 45}, 2, ""}},
    {"5", "", {}, {0, 0, true, {}, 0, "Invalid format."}},
};

TEST(Sscanf, ReadsValuesAndShapesTheResult) {
  for (const Case &c : kShared) {
    const auto r = runSscanf(c);
    expectResult(r, c.expected, std::string(c.text) + " with " + c.format);
    if (r.outputs.size() > 2 && r.outputs[2]) {
      EXPECT_EQ(zqtest::text(r.outputs[2].get()), c.expected.message) << c.format;
    }
  }
}

TEST(Sscanf, DiffersFromTheStreamFamilyWhereTheTextRulesSaySo) {
  // A width cuts a piece that the number must fill; values overflow as
  // 32-bit strtol and strtoul clamp them.
  const Case cases[] = {
      {"1 2", "%2d", {}, {0, 0, true, {}, 0, "Matching failure in format."}},
      {"99999999999 -99999999999", "%d", {}, {2, 1, false, {2147483647, -2147483648.0}, 2, ""}},
      {"99999999999 -5", "%u", {}, {2, 1, false, {4294967295, 4294967291}, 2, ""}},
      {"y=5", "x=%d", {}, {0, 0, true, {}, 0, "Matching failure in format."}},
  };
  for (const Case &c : cases) {
    const auto r = runSscanf(c);
    expectResult(r, c.expected, std::string(c.text) + " with " + c.format);
    EXPECT_EQ(zqtest::text(r.outputs[2].get()), c.expected.message) << c.format;
  }
}

TEST(Sscanf, ReportsTheIndexAfterTheTextConsumed) {
  const struct {
    const char *text, *format;
    double next;
  } cases[] = {{"1 2 3", "%d", 6}, {"3 4 abc", "%d", 5}, {"", "%d", 1}, {"ab  ", "%s", 5}, {"x=5;", "x=%d", 4}};
  for (const auto &c : cases) {
    Array text = str(c.text), format = str(c.format);
    const auto r = call("sscanf", 4, {text.get(), format.get()});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(qxGetScalar(r.outputs[3].get()), c.next) << c.text << " with " << c.format;
  }
}

TEST(Sscanf, EndsFormatsThatConsumeNothing) {
  // Blank-only formats, skipped directives with a size, and formats that
  // match only literals must not run for ever.
  const Case cases[] = {
      {"abc", " ", {}, {0, 0, true, {}, 0, ""}},
      {"abc", "%*s", {1}, {0, 0, true, {}, 0, ""}},
      {"1 2 3", "%*d", {}, {0, 0, true, {}, 0, ""}},
      {"xxx", "x", {}, {0, 0, true, {}, 0, ""}},
  };
  for (const Case &c : cases) expectResult(runSscanf(c), c.expected, std::string(c.text) + " with " + c.format);
}

TEST(Sscanf, SurvivesGeneratedFormatsAndTexts) {
  std::mt19937 rng(99);
  const std::string alphabet = "%%%dscfxiu[]^-*0123456789 .,eE+-abc\\\\nh l";
  for (int i = 0; i < 20000; ++i) {
    std::string format, text;
    for (int n = rng() % 12; n > 0; --n) format += alphabet[rng() % alphabet.size()];
    for (int n = rng() % 20; n > 0; --n) text += alphabet[rng() % alphabet.size()];
    Array t = str(text.c_str()), f = str(format.c_str());
    const auto r = call("sscanf", 4, {t.get(), f.get()});
    ASSERT_EQ(r.error, "") << format << " on " << text;
    ASSERT_LE(qxGetScalar(r.outputs[3].get()), text.size() + 1) << format << " on " << text;
  }
}

TEST(Sscanf, RejectsBadArgumentsWithHostMessages) {
  Array text = str("1"), format = str("%d"), number = zqtest::num(1), bad = sizeArray({-1}),
        column(qxCreateDoubleMatrix(2, 1, 0));
  EXPECT_EQ(call("sscanf", 1, {number.get(), format.get()}).error, "Text to scan must be a string.");
  EXPECT_EQ(call("sscanf", 1, {text.get(), number.get()}).error, "Format must be a string.");
  EXPECT_EQ(call("sscanf", 1, {text.get()}).error, "Not enough input arguments.");
  EXPECT_EQ(call("sscanf", 5, {text.get(), format.get()}).error, "Too many output arguments.");
  EXPECT_EQ(call("sscanf", 1, {text.get(), format.get(), bad.get()}).error, "Invalid size.");
  EXPECT_EQ(call("sscanf", 1, {text.get(), format.get(), column.get()}).error, "Invalid size.");
}

// fscanf of text written to a file.
zqtest::CallResult runFscanf(const zqtest::ScratchDir &dir, const Case &c, int *status = nullptr) {
  const std::string path = dir.file("in.txt");
  zqtest::writeBytes(path, zqtest::Bytes(c.text, c.text + std::strlen(c.text)));
  zqtest::OpenFile file(path, "r");
  Array format = str(c.format), size = sizeArray(c.size);
  auto r = c.size.empty() ? call("fscanf", 2, {file.fid(), format.get()})
                          : call("fscanf", 2, {file.fid(), format.get(), size.get()});
  if (status != nullptr) *status = file.entry().status;
  return r;
}

TEST(Fscanf, ReadsWhatSscanfReadsWhereTheFamiliesAgree) {
  zqtest::ScratchDir dir;
  for (const Case &c : kShared) expectResult(runFscanf(dir, c), c.expected, std::string(c.text) + " with " + c.format);
}

TEST(Fscanf, ReadsAsTheCLibraryWhereTheFamiliesDiffer) {
  zqtest::ScratchDir dir;
  int status = 0;
  // The C library takes "1" for %2d where the text family refuses the cut.
  expectResult(runFscanf(dir, {"1 2", "%2d", {}, {}}, &status), {2, 1, false, {1, 2}, 2, ""}, "%2d");
  EXPECT_EQ(status, -4);  // at end-of-file
  expectResult(runFscanf(dir, {"3 4 abc", "%d", {}, {}}, &status), {2, 1, false, {3, 4}, 2, ""}, "%d");
  EXPECT_EQ(status, -1);  // stopped before the end without a reason
}

TEST(Fscanf, RejectsBadArgumentsWithHostMessages) {
  Array format = str("%d"), zero = zqtest::num(0), negative = zqtest::num(-1), unknown = zqtest::num(99);
  EXPECT_EQ(call("fscanf", 1, {zero.get(), format.get()}).error, "Standard input cannot be read here.");
  EXPECT_EQ(call("fscanf", 1, {negative.get(), format.get()}).error, "Invalid file identifier.");
  EXPECT_EQ(call("fscanf", 1, {unknown.get(), format.get()}).error, "Invalid file identifier.");
  EXPECT_EQ(call("fscanf", 3, {unknown.get(), format.get()}).error, "Too many output arguments.");
}

}  // namespace

namespace {

// One call reading a single directive: whether it converted, the value,
// and the stream's position and end-of-file flag afterwards.
struct ReadStep {
  bool converted;
  double value;
  long position;
  bool atEnd;
  bool operator==(const ReadStep &o) const {
    const bool sameValue = std::bit_cast<uint64_t>(value) == std::bit_cast<uint64_t>(o.value) ||
                           (std::isnan(value) && std::isnan(o.value));
    return converted == o.converted && sameValue && position == o.position && atEnd == o.atEnd;
  }
};

std::ostream &operator<<(std::ostream &out, const ReadStep &s) {
  return out << (s.converted ? "value " + std::to_string(s.value) : std::string("none")) << " at " << s.position
             << (s.atEnd ? " (end)" : "");
}

// A plain loop of fscanf(f, format, &value) over path, one step per call,
// up to the first call that converts nothing.
template <class T>
std::vector<ReadStep> readWithC(const std::string &path, const char *format) {
  std::vector<ReadStep> steps;
  FILE *f = std::fopen(path.c_str(), "r");
  for (bool converted = true; converted;) {
    T value{};
    converted = std::fscanf(f, format, &value) == 1;
    steps.push_back({converted, converted ? static_cast<double>(value) : 0.0, std::ftell(f), std::feof(f) != 0});
  }
  std::fclose(f);
  return steps;
}

// The same loop of fscanf(fid, format, 1) through the builtin.
std::vector<ReadStep> readWithZq(const std::string &path, const char *format) {
  std::vector<ReadStep> steps;
  zqtest::OpenFile file(path, "r");
  Array f = str(format), one = zqtest::num(1);
  for (bool converted = true; converted;) {
    const auto r = call("fscanf", 2, {file.fid(), f.get(), one.get()});
    if (!r.error.empty()) {
      ADD_FAILURE() << r.error;
      break;
    }
    converted = qxGetScalar(r.outputs[1].get()) == 1;
    FILE *stream = file.entry().stream;
    steps.push_back(
        {converted, converted ? qxGetPr(r.outputs[0].get())[0] : 0.0, std::ftell(stream), std::feof(stream) != 0});
  }
  return steps;
}

// Writes files of up to seven tokens drawn from tokens, each followed by a
// blank, a newline or nothing, and hands each to check with its text and
// the generator.
template <class Check>
void forGeneratedFiles(unsigned seed, int files, const std::vector<std::string> &tokens, Check check) {
  static const char *const separators[] = {" ", " ", "\n", "", "\t  "};
  std::mt19937 rng(seed);
  zqtest::ScratchDir dir;
  const std::string path = dir.file("numbers.txt");
  for (int i = 0; i < files; ++i) {
    std::string text;
    for (int n = rng() % 7; n >= 0; --n) {
      text += tokens[rng() % tokens.size()];
      text += separators[rng() % std::size(separators)];
    }
    zqtest::writeBytes(path, zqtest::Bytes(text.begin(), text.end()));
    check(path, "[" + text + "]", rng);
  }
}

TEST(Fscanf, ReadsFloatsExactlyAsTheCLibraryOverGeneratedTexts) {
  const char *tokens[] = {"1",
                          "-2.5",
                          "+.5",
                          "1e",
                          "1e+",
                          "1e-3",
                          "0x1p3",
                          "0x",
                          "0xg",
                          "00x",
                          "inf",
                          "-inf",
                          "+nan",
                          "nanq",
                          "infin",
                          "in",
                          ".",
                          "-",
                          "+.e",
                          "1.5e3.2",
                          "7.",
                          "  ",
                          "\n",
                          ",",
                          "abc",
                          "0",
                          "-0",
                          "3.4e40",
                          "1e-400",
                          "0X.8P1",
                          "12345678901234567890.123",
                          "e5",
                          "E",
                          "0x.",
                          "0x.8",
                          "-0x",
                          "0x1.8.5",
                          "0xp3",
                          "1e5e5",
                          "--1",
                          "+-1",
                          ".e1",
                          "0xAbC",
                          "NaN(12)",
                          "INFINITY",
                          "1e+-2",
                          "0.0e0"};
  forGeneratedFiles(3, 4000, {std::begin(tokens), std::end(tokens)},
                    [](const std::string &path, const std::string &text, std::mt19937 &) {
                      EXPECT_EQ(readWithZq(path, "%f"), readWithC<double>(path, "%lf")) << text;
                      EXPECT_EQ(readWithZq(path, "%hf"), readWithC<float>(path, "%f")) << text;
                    });
}

// The plain fscanf loop for an integer directive of the builtin: the same
// directive without 'l' (32 bits here), into a variable of its size.
std::vector<ReadStep> readIntegersWithC(const std::string &path, std::string directive) {
  std::erase(directive, 'l');
  const bool isShort = directive.find('h') != std::string::npos;
  const bool isSigned = directive.back() == 'd' || directive.back() == 'i';
  if (isSigned) return isShort ? readWithC<short>(path, directive.c_str()) : readWithC<int>(path, directive.c_str());
  return isShort ? readWithC<unsigned short>(path, directive.c_str()) : readWithC<unsigned>(path, directive.c_str());
}

// Words of text split at blanks.
std::vector<std::string> words(const std::string &text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

TEST(Fscanf, ReadsIntegersExactlyAsTheCLibraryOverGeneratedTexts) {
  // Signs without digits, "0x" with and without hexadecimal digits after
  // it, octal and non-octal digits, values at and beyond the 16-, 32- and
  // 64-bit limits, bytes beyond ASCII and words.
  const std::vector<std::string> tokens = words(
      "0 1 -1 +7 42 - + --1 +-2 0x 0X1F 0xg -0x +0x10 0x-1 00x5 08 0778 017 -017 0b101 1a 7fffffff FfFf abc x -x "
      "1e5 12.5 , 32767 -32768 65535 65536 -32769 2147483647 2147483648 -2147483649 4294967295 4294967296 "
      "-4294967296 9223372036854775807 9223372036854775808 -9223372036854775808 -9223372036854775809 "
      "18446744073709551615 18446744073709551616 -18446744073709551616 -18446744073709551615 "
      "99999999999999999999999999 0xFFFFFFFFFFFFFFFF 0x10000000000000000 -0x8000000000000000 "
      "01777777777777777777777 02000000000000000000000 \xe9 \xa0");
  const std::vector<std::string> directives =
      words("%d %i %o %u %x %X %ld %lx %hd %hi %ho %hu %hx %1d %2d %1i %2i %3i %2x %3x %2o %4u %3hd %12hu %25d");
  forGeneratedFiles(11, 5000, tokens, [&](const std::string &path, const std::string &text, std::mt19937 &rng) {
    for (int k = 0; k < 4; ++k) {
      const std::string &d = directives[rng() % directives.size()];
      EXPECT_EQ(readWithZq(path, d.c_str()), readIntegersWithC(path, d)) << text << " with " << d;
    }
  });
}

TEST(Fscanf, ReportsWhyAStreamGaveNoNumber) {
  // A directory opens for reading, but every read of it fails and sets the
  // stream's error indicator; a stream opened for writing only refuses the
  // read without setting it, and nothing was stored from a file without 'r'.
  zqtest::ScratchDir dir;
  const std::string file = dir.file("numbers.txt");
  zqtest::writeBytes(file, zqtest::Bytes{'1', ' ', '2'});
  const struct {
    std::string path;
    const char *permission;
    int status;
    bool errorIndicator;
  } cases[] = {{dir.file(""), "r", 1, true}, {file, "w", -3, false}, {file, "a", -3, false}};
  for (const auto &c : cases) {
    zqtest::OpenFile open(c.path, c.permission);
    ASSERT_NE(open.entry().stream, nullptr) << c.path;
    for (const char *directive : {"%d", "%x", "%hu", "%2i", "%f"}) {
      Array format = str(directive);
      const auto r = call("fscanf", 2, {open.fid(), format.get()});
      ASSERT_EQ(r.error, "");
      EXPECT_EQ(qxGetScalar(r.outputs[1].get()), 0) << c.path << " " << c.permission;
      EXPECT_EQ(open.entry().status, c.status) << c.path << " " << c.permission << " " << directive;
      EXPECT_EQ(std::ferror(open.entry().stream) != 0, c.errorIndicator) << c.permission << " " << directive;
    }
  }
}

}  // namespace
