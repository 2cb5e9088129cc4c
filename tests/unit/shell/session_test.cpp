// The session around the evaluator: when the prompt must read more lines,
// what the last error records, and the plain display used while the
// library cannot display a class.
#include <gtest/gtest.h>

#include <string>

#include "shell/parser.h"
#include "shell/script_runner.h"
#include "support/host_fixture.h"

namespace zq::shell {
namespace {

TEST(Session, ThePromptReadsOnWhileABracketOrBlockIsOpen) {
  // The prompt ends each line it reads with a newline.
  const std::pair<const char *, bool> cases[] = {
      {"x = [1 2\n", true},
      {"x = {1, ...\n", true},
      {"if x > 1\n", true},
      {"for k = 1:3\n  y = k;\n", true},
      {"while 1\n  if 0\n  end\n", true},
      {"if x, y = 1, end\n", false},
      {"x = 1\n", false},
      {"x = (1\n", false},      // a parenthesis ends with its line
      {"x = 'abc\n", false},    // so does a string
      {"x = [1 2]]\n", false},  // an error, not more input
      {"\n", false},
  };
  Session session;
  for (const auto &[text, incomplete] : cases) EXPECT_EQ(session.incomplete(text), incomplete) << text;
}

TEST(Session, ErrorsAreRecordedAsTheLastError) {
  const std::pair<const char *, const char *> cases[] = {
      {"x = (1", "Unbalanced brackets: '(' at column 5 is not closed."},
      {"y = 1;\nz = y(3)", "Index exceeds matrix dimensions."},
      {"error('Custom text.')", "Custom text."},
      {"exit_is_not_this", "Undefined function or variable 'exit_is_not_this'."},
  };
  for (const auto &[script, message] : cases) {
    test::runQuietly(script);
    EXPECT_STREQ(qxGetLastErrMsg(), message) << script;
  }
}

TEST(Session, ACleanRunExitsWithZeroAndABadOneWithOne) {
  EXPECT_EQ(test::runQuietly("x = 1;")->exitStatus(), 0);
  EXPECT_EQ(test::runQuietly("x = ;")->exitStatus(), 1);
  EXPECT_EQ(test::runQuietly("x = 1; quit")->exitStatus(), 0);
  EXPECT_EQ(test::runQuietly("x = y;\nquit", true)->exitStatus(), 1);
}

// Without going on after errors, the first error ends the run: a syntax
// error anywhere is found before the first line runs.
TEST(Session, AScriptWithASyntaxErrorDoesNotRunAtAll) {
  Session session;
  {
    zqtest::StdoutCapture quiet;
    zqtest::StderrCapture errors;
    session.run("x = 1;\ndisp('ran')\nfor k = 1:2\n  y = (k;\nend\n", false, "script.zq");
    EXPECT_EQ(quiet.text(), "");
    EXPECT_EQ(errors.text(), "error: Unbalanced brackets: '(' at line 4, column 7 is not closed.\n");
  }
  EXPECT_TRUE(session.anyError());
  EXPECT_EQ(session.evaluator().variable("x"), nullptr);
  EXPECT_STREQ(qxGetLastErrMsg(), "Unbalanced brackets: '(' at line 4, column 7 is not closed.");
}

// Going on after errors, the lines run in order: a syntax error is
// reported when its statement is reached, and the next line runs.
TEST(Session, GoingOnASyntaxErrorIsReportedInItsPlace) {
  Session session;
  zqtest::StdoutCapture out;
  zqtest::StderrCapture errors;
  session.run("disp('one')\ny = (1;\ndisp('three')\n", true, "script.zq");
  EXPECT_EQ(out.text(), "one\nthree\n");
  EXPECT_EQ(errors.text(), "error: Unbalanced brackets: '(' at line 2, column 5 is not closed.\n");
  EXPECT_TRUE(session.anyError());
}

// Places are shown only when asked for (at a terminal, or through
// ZQ_ERROR_PLACES): then a script's errors name the file and line and a
// syntax error shows a caret; the text alone for text without a source.
// The last error never holds the place.
TEST(Session, ErrorsShowTheirPlacesOnlyWhenAskedTo) {
  const char *script = "a = [1 2];\nb = a(3);\nc = 3 $ 4;\n";
  struct Case {
    bool places;
    const char *source;
    const char *report;
  };
  const Case cases[] = {
      {false, "s.zq",
       "error: Index exceeds matrix dimensions.\n"
       "error: Invalid character '$' at line 3, column 7.\n"},
      {true, "s.zq",
       "error: s.zq:2: Index exceeds matrix dimensions.\n"
       "error: s.zq:3: Invalid character '$'.\n  c = 3 $ 4;\n        ^\n"},
      {true, "",
       "error: Index exceeds matrix dimensions.\n"
       "error: Invalid character '$'.\n  c = 3 $ 4;\n        ^\n"},
  };
  for (const Case &c : cases) {
    Session session;
    session.showErrorPlaces(c.places);
    zqtest::StderrCapture errors;
    session.run(script, true, c.source);
    EXPECT_EQ(errors.text(), c.report) << c.places << c.source;
    EXPECT_STREQ(qxGetLastErrMsg(), "Invalid character '$' at line 3, column 7.");
  }
}

TEST(Session, TheLastErrorOfAScriptHoldsTheTextWithoutItsPlace) {
  Session session;
  zqtest::StdoutCapture quiet;
  zqtest::StderrCapture errors;
  session.showErrorPlaces(true);
  session.run("a = 1;\nif a\n  b = a(5);\nend\n", true, "script.zq");
  EXPECT_EQ(errors.text(), "error: script.zq:3: Index exceeds matrix dimensions.\n");
  EXPECT_STREQ(qxGetLastErrMsg(), "Index exceeds matrix dimensions.");
  EXPECT_EQ(session.evaluator().line(), 3);
}

// The report of a syntax error with places shown: the place only for a
// script, then the line as written and a caret under the column.
TEST(Session, ASyntaxErrorShowsItsLineWithACaretUnderTheColumn) {
  struct Case {
    const char *text;
    const char *source;
    const char *report;
  };
  const Case cases[] = {
      {"x = (1 + 2))", "", "error: Unexpected ')'.\n  x = (1 + 2))\n             ^\n"},
      {"a = 1;\nb = 3 $ 4\n", "f.zq", "error: f.zq:2: Invalid character '$'.\n  b = 3 $ 4\n        ^\n"},
      // Tabs are copied into the caret's indentation; a two-byte character
      // takes one column; a carriage return is not shown.
      {"\tif x, y = )\r\nend", "t.zq", "error: t.zq:1: Unexpected ')'.\n  \tif x, y = )\n  \t          ^\n"},
      {"s = '\xc3\xa9'; t = ]", "", "error: Unexpected ']'.\n  s = '\xc3\xa9'; t = ]\n               ^\n"},
      // At the end of the text the caret stands after the last character.
      {"z = 1 +", "", "error: Unexpected end of input.\n  z = 1 +\n         ^\n"},
  };
  for (const Case &c : cases) {
    Symbols symbols;
    try {
      Parser p(c.text, symbols);
      while (!p.atEnd()) p.next();
      ADD_FAILURE() << c.text << " parsed";
    } catch (const ParseError &e) {
      EXPECT_EQ(syntaxErrorReport(e, c.text, c.source), c.report) << c.text;
    }
  }
}

}  // namespace
}  // namespace zq::shell
