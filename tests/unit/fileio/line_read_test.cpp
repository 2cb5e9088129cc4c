// fgets as users call it: the three terminators, the length limit, the
// terminator output, lines longer than any buffer, the end of the file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fileio/scratch_files.h"

namespace {

using zqtest::Inputs;

struct Line {
  std::string text;  // "<-1>" for the number -1
  std::vector<double> terminator;
  bool operator==(const Line &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Line &l) {
  os << '"';
  for (char c : l.text) os << (c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c));
  os << "\" [";
  for (double d : l.terminator) os << d << ' ';
  return os << ']';
}

class Fgets : public zqtest::FileTest {
 protected:
  Line next(double fid, const Inputs &in = Inputs()) {
    auto r = on("fgets", 2, fid, in);
    EXPECT_EQ(r.error, "");
    if (!r.error.empty()) return {};
    const qxArray *a = r.outputs[0].get();
    Line l{qxIsChar(a) ? zqtest::text(a) : "<" + std::to_string(static_cast<int>(qxGetScalar(a))) + ">",
           zqtest::valuesOf(r.outputs[1].get())};
    if (qxIsChar(a) && !qxIsEmpty(a)) {
      EXPECT_EQ(qxGetM(a), 1);
    }
    return l;
  }
  std::vector<Line> allLines(const std::string &content, const Inputs &in = Inputs()) {
    const double fid = openWith(zqtest::Bytes(content.begin(), content.end()));
    std::vector<Line> lines;
    for (int i = 0; i < 100; ++i) {
      lines.push_back(next(fid, in));
      if (lines.back().text == "<-1>") break;
    }
    return lines;
  }
};

TEST_F(Fgets, SplitsLinesAtEachTerminator) {
  const struct {
    const char *what;
    std::string content;
    std::vector<Line> lines;
  } cases[] = {
      {"line feed", "ab\ncd", {{"ab\n", {10}}, {"cd", {}}, {"<-1>", {}}}},
      {"carriage return and line feed", "ab\r\ncd\r\n", {{"ab\r\n", {13, 10}}, {"cd\r\n", {13, 10}}, {"<-1>", {}}}},
      {"carriage return alone", "ab\rcd", {{"ab\r", {13}}, {"cd", {}}, {"<-1>", {}}}},
      {"empty lines", "\n\r\r\n\n", {{"\n", {10}}, {"\r", {13}}, {"\r\n", {13, 10}}, {"\n", {10}}, {"<-1>", {}}}},
      {"line feed then carriage return", "a\n\rb", {{"a\n", {10}}, {"\r", {13}}, {"b", {}}, {"<-1>", {}}}},
      {"empty file", "", {{"<-1>", {}}}},
      {"bytes above 127", "\xE9t\xE9\n", {{"\xE9t\xE9\n", {10}}, {"<-1>", {}}}},
  };
  for (const auto &c : cases) EXPECT_EQ(allLines(c.content), c.lines) << c.what;
}

TEST_F(Fgets, CutsLinesAtTheLimit) {
  const struct {
    const char *what;
    std::string content;
    double limit;
    std::vector<Line> lines;
  } cases[] = {
      {"limit inside the line", "abc\n", 2, {{"ab", {}}, {"c\n", {10}}, {"<-1>", {}}}},
      {"limit on the terminator", "a\nb", 2, {{"a\n", {10}}, {"b", {}}, {"<-1>", {}}}},
      {"limit between CR and LF", "a\r\nb", 2, {{"a\r", {}}, {"\n", {10}}, {"b", {}}, {"<-1>", {}}}},
      {"limit at the end", "ab", 2, {{"ab", {}}, {"<-1>", {}}}},
      {"no limit when 0", "abc\n", 0, {{"abc\n", {10}}, {"<-1>", {}}}},
      {"no limit when negative", "abc\n", -3, {{"abc\n", {10}}, {"<-1>", {}}}},
      {"fraction truncates", "abc\n", 1.9, {{"a", {}}, {"b", {}}, {"c", {}}, {"\n", {10}}, {"<-1>", {}}}},
  };
  for (const auto &c : cases) EXPECT_EQ(allLines(c.content, Inputs().n(c.limit)), c.lines) << c.what;
}

TEST_F(Fgets, ReturnsLongLinesWholeWhereverTheirTerminatorFalls) {
  // A carriage return as the last character of a read buffer, its line feed
  // the first of the next one, is still one terminator.
  const std::string tail(100000, 'y');
  for (const size_t at : {63u, 4095u, 8191u}) {
    const std::string first = std::string(at, 'x') + "\r\n";
    const auto lines = allLines(first + tail + "\n");
    ASSERT_EQ(lines.size(), 3u) << at;
    EXPECT_EQ(lines[0], (Line{first, {13, 10}})) << at;
    EXPECT_EQ(lines[1], (Line{tail + "\n", {10}})) << at;
  }
}

TEST_F(Fgets, KeepsItsPlaceAcrossReadBuffers) {
  // Lines of every length from 0 to 96 with the three terminators in turn
  // (empty ones with CR LF, so no lone CR meets a lone LF), over several
  // read buffers: each line, the position after it and the end-of-file
  // state must be what a character-by-character reader gives.
  const char *terminators[] = {"\n", "\r\n", "\r"};
  std::string content;
  std::vector<std::string> expected;
  for (int i = 0; content.size() < 20000; ++i) {
    const size_t length = static_cast<size_t>(i % 97);
    expected.push_back(std::string(length, static_cast<char>('a' + i % 26)) + terminators[length == 0 ? 1 : i % 3]);
    content += expected.back();
  }
  const double fid = openWith(zqtest::Bytes(content.begin(), content.end()));
  double position = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    const Line line = next(fid);
    ASSERT_EQ(line.text, expected[i]) << "line " << i;
    position += static_cast<double>(expected[i].size());
    ASSERT_EQ(qxGetScalar(on("ftell", 1, fid).outputs[0].get()), position) << "line " << i;
    const bool last = i + 1 == expected.size();
    ASSERT_EQ(qxGetScalar(on("feof", 1, fid).outputs[0].get()), last ? 1 : 0) << "line " << i;
  }
  EXPECT_EQ(next(fid).text, "<-1>");
}

TEST_F(Fgets, ReportsTheEndAndRefusesBadArguments) {
  const double fid = openWith({});
  EXPECT_EQ(next(fid).text, "<-1>");
  auto e = on("ferror", 1, fid);
  EXPECT_EQ(zqtest::text(e.outputs[0].get()), "At end-of-file.");
  const double out = openPath(dir.file("w.txt"), "w");
  EXPECT_EQ(next(out).text, "");
  e = on("ferror", 1, out);
  EXPECT_EQ(zqtest::text(e.outputs[0].get()), "Is the file open for reading? . . .");
  const struct {
    double fid;
    Inputs inputs;
    const char *error;
  } cases[] = {
      {fid, Inputs().s("x"), "Invalid length."},
      {fid, Inputs().m(0, 0, {}), "Invalid length."},
      {0, Inputs(), "Standard input cannot be read here."},
      {-1, Inputs(), "Invalid file identifier."},
      {77, Inputs(), "Invalid file identifier."},
      {fid, Inputs().n(1).n(1), "Too many input arguments."},
  };
  for (const auto &c : cases) EXPECT_EQ(on("fgets", 1, c.fid, c.inputs).error, c.error);
  EXPECT_EQ(on("fgets", 3, fid).error, "Too many output arguments.");
}

}  // namespace
