// The tokenizer's and parser's tricky cases: quote or transpose, blanks
// inside brackets, 'end' in an index, command syntax or expression,
// precedence, and the messages for malformed input.
#include "shell/parser.h"

#include <gtest/gtest.h>

#include <string>

#include "zqhost/host.h"

namespace zq::shell {
namespace {

// Tokens as "kind:text" words, e.g. "id:a op:' ,".
std::string tokens(const std::string &text) {
  std::string out;
  for (const Token &t : tokenize(text)) {
    std::string w;
    switch (t.kind) {
      case Tok::Number: w = "num:" + t.text; break;
      case Tok::String: w = "str:" + t.text; break;
      case Tok::Ident: w = "id:" + t.text; break;
      case Tok::Keyword: w = "kw:" + t.text; break;
      case Tok::EndIndex: w = "end"; break;
      case Tok::Command:
        w = "cmd:" + t.text + "[";
        for (size_t k = 0; k < t.words.size(); ++k) w += (k ? "|" : "") + t.words[k];
        w += "]";
        break;
      case Tok::Op: w = t.text; break;
      case Tok::Comma: w = ","; break;
      case Tok::Semi: w = ";"; break;
      case Tok::Newline: w = "NL"; break;
      case Tok::Error: w = "ERR"; break;
      case Tok::Eof: continue;
    }
    out += (out.empty() ? "" : " ") + w;
  }
  return out;
}

struct TokenCase {
  const char *text;
  const char *expected;
};

TEST(Tokenizer, QuoteIsTransposeAfterAValueAndAStringElsewhere) {
  const TokenCase cases[] = {
      {"a'", "id:a '"},
      {"a.'", "id:a .'"},
      {"x = 'it''s'", "id:x = str:it's"},
      {"[a' b']", "[ id:a ' , id:b ' ]"},
      {"[a 'b']", "[ id:a , str:b ]"},
      {"[a' 'b']", "[ id:a ' , str:b ]"},
      {"x(1)'", "id:x ( num:1 ) '"},
      {"{1}'", "{ num:1 } '"},
      {"3.'", "num:3 .'"},
      {"x = a '", "id:x = id:a '"},
      {"x = '50% done' % comment", "id:x = str:50% done"},
      {"x = \"say 'hi'\"", "id:x = str:say 'hi'"},
      {"a\n%{\nb c\n %}\nd", "id:a NL NL id:d"},
      {"a %{\nb", "id:a NL id:b"},
  };
  for (const TokenCase &c : cases) EXPECT_EQ(tokens(c.text), c.expected) << c.text;
}

TEST(Tokenizer, BlanksSeparateElementsOnlyInsideBrackets) {
  const TokenCase cases[] = {
      {"[1 -2]", "[ num:1 , - num:2 ]"},
      {"[1 - 2]", "[ num:1 - num:2 ]"},
      {"[1 -  2]", "[ num:1 - num:2 ]"},
      {"[1 ~x]", "[ num:1 , ~ id:x ]"},
      {"[a ~= b]", "[ id:a ~= id:b ]"},
      {"[a (1)]", "[ id:a , ( num:1 ) ]"},
      {"[f(1 -2)]", "[ id:f ( num:1 - num:2 ) ]"},
      {"x = 1 -2", "id:x = num:1 - num:2"},
      {"{1 'a'}", "{ num:1 , str:a }"},
      {"[1 2\n3 4]", "[ num:1 , num:2 ; num:3 , num:4 ]"},
      {"[1 2 ...\n 3]", "[ num:1 , num:2 , num:3 ]"},
      {"[1, 2 ]", "[ num:1 , num:2 ]"},
  };
  for (const TokenCase &c : cases) EXPECT_EQ(tokens(c.text), c.expected) << c.text;
}

TEST(Tokenizer, NumbersKeepTheirDotsFromElementWiseOperators) {
  const TokenCase cases[] = {
      {"1./x", "num:1 ./ id:x"}, {"2.^n", "num:2 .^ id:n"},      {"1.5*2", "num:1.5 * num:2"}, {".5", "num:.5"},
      {"2.5e-3", "num:2.5e-3"},  {"3i + 2j", "num:3i + num:2i"}, {"1e3", "num:1e3"},           {"12abc", "ERR"},
  };
  for (const TokenCase &c : cases) EXPECT_EQ(tokens(c.text), c.expected) << c.text;
}

TEST(Tokenizer, EndInsideAnIndexIsAValue) {
  const TokenCase cases[] = {
      {"a(end)", "id:a ( end )"},
      {"a{end-1}", "id:a { end - num:1 }"},
      {"a([1 end])", "id:a ( [ num:1 , end ] )"},
      {"if x, end", "kw:if id:x , kw:end"},
  };
  for (const TokenCase &c : cases) EXPECT_EQ(tokens(c.text), c.expected) << c.text;
}

TEST(Tokenizer, CommandSyntaxOnlyWhereAnExpressionCannotBe) {
  const TokenCase cases[] = {
      {"format long e", "cmd:format[long|e]"},
      {"cd ..", "cmd:cd[..]"},
      {"format +", "cmd:format[+]"},
      {"dir *.txt", "cmd:dir[*.txt]"},
      {"warning off; x", "cmd:warning[off] ; id:x"},
      {"disp 'two words'", "cmd:disp[two words]"},
      {"disp -x", "cmd:disp[-x]"},
      {"a - b", "id:a - id:b"},
      {"a -b", "cmd:a[-b]"},
      {"a == b", "id:a == id:b"},
      {"a = b", "id:a = id:b"},
      {"a (1)", "id:a ( num:1 )"},
      {"a", "id:a"},
      {"x = format long", "id:x = id:format id:long"},
      {"if x, hold on, end", "kw:if id:x , cmd:hold[on] , kw:end"},
      {"hold on % comment", "cmd:hold[on]"},
  };
  for (const TokenCase &c : cases) EXPECT_EQ(tokens(c.text), c.expected) << c.text;
}

// The parse tree of one expression statement as an S-expression.
std::string tree(const Expr &e);

std::string children(const Expr &e) {
  std::string s;
  for (const ExprPtr &a : e.args) s += " " + tree(*a);
  return s;
}

std::string tree(const Expr &e) {
  // In the order of Op.
  static const char *const kNames[] = {"+",  "-",  "*",  "/", "\\", "^",  ".*", "./",  ".\\", ".^",  "<",  "<=", ">",
                                       ">=", "==", "~=", "&", "|",  "&&", "||", "neg", "pos", "not", ".'", "'"};
  switch (e.kind) {
    case ExprKind::Number: {
      std::string s = std::to_string(static_cast<long long>(e.number));
      return e.imaginary ? s + "i" : s;
    }
    case ExprKind::String: return "'" + e.text + "'";
    case ExprKind::Ident: return e.text;
    case ExprKind::Colon: return ":";
    case ExprKind::End: return "end";
    case ExprKind::Unary:
    case ExprKind::Binary: return std::string("(") + kNames[static_cast<int>(e.op)] + children(e) + ")";
    case ExprKind::Range: return "(range" + children(e) + ")";
    case ExprKind::Matrix:
    case ExprKind::Cell: {
      std::string s = e.kind == ExprKind::Matrix ? "[" : "{";
      for (size_t r = 0; r < e.rows.size(); ++r) {
        if (r) s += ";";
        for (const ExprPtr &x : e.rows[r]) s += " " + tree(*x);
      }
      return s + (e.kind == ExprKind::Matrix ? " ]" : " }");
    }
    case ExprKind::Index: return std::string(e.brace ? "(brace " : "(index ") + tree(*e.base) + children(e) + ")";
    case ExprKind::Field: return "(field " + tree(*e.base) + " " + e.text + ")";
    case ExprKind::DynField: return "(dynfield " + tree(*e.base) + children(e) + ")";
    case ExprKind::Handle: {
      if (!e.anonymous) return "@" + e.text;
      // (@ parameters -> body [captured names])
      const AnonymousBody &fn = *e.anonymous;
      std::string s = "(@";
      for (int slot : fn.parameters) s += " " + fn.symbols->name(slot);
      s += " -> " + tree(*fn.body) + " [";
      for (size_t k = 0; k < fn.names.size(); ++k) s += (k ? " " : "") + fn.symbols->name(fn.names[k]);
      return s + "])";
    }
  }
  return "?";
}

std::string parseOne(const std::string &text, Symbols &symbols) {
  Parser p(text, symbols);
  StmtPtr s = p.next();
  std::string out;
  switch (s->kind) {
    case StmtKind::Expression: out = tree(*s->expr); break;
    case StmtKind::Assign: out = "(= " + tree(*s->targets[0]) + " " + tree(*s->expr) + ")"; break;
    case StmtKind::MultiAssign:
      out = "(=";
      for (const ExprPtr &t : s->targets) out += " " + (t ? tree(*t) : std::string("~"));
      out += " " + tree(*s->expr) + ")";
      break;
    default: out = "stmt"; break;
  }
  if (!s->print) out += ";";
  return out;
}

std::string parseOne(const std::string &text) {
  Symbols symbols;
  return parseOne(text, symbols);
}

TEST(Parser, PrecedenceFollowsTheArrayLanguageRules) {
  const TokenCase cases[] = {
      {"-2^2", "(neg (^ 2 2))"},          {"2^-1", "(^ 2 (neg 1))"},      {"2^3^2", "(^ (^ 2 3) 2)"},
      {"a:b:c", "(range a b c)"},         {"1:n+1", "(range 1 (+ n 1))"}, {"a == b & c | d", "(| (& (== a b) c) d)"},
      {"a || b && c", "(|| a (&& b c))"}, {"a' * b", "(* (' a) b)"},      {"~a == b", "(== (not a) b)"},
      {"1 - -1", "(- 1 (neg 1))"},        {"a.^2'", "(.^ a (' 2))"},      {"x;", "x;"},
  };
  for (const TokenCase &c : cases) EXPECT_EQ(parseOne(c.text), c.expected) << c.text;
}

TEST(Parser, IndexingFieldsAndAssignmentTargets) {
  const TokenCase cases[] = {
      {"a(end)", "(index a end)"},
      {"x(end, :)", "(index x end :)"},
      {"x(:)", "(index x :)"},
      {"c{1}.f(2)", "(index (field (brace c 1) f) 2)"},
      {"s.(n)", "(dynfield s n)"},
      {"x.y(2) = 3", "(= (index (field x y) 2) 3)"},
      {"[a, ~, c{2}] = f(1);", "(= a ~ (brace c 2) (index f 1));"},
      {"[a b] = size(x)", "(= a b (index size x))"},
      {"[a b] == c", "(== [ a b ] c)"},
      {"[1 -2; 3]", "[ 1 (neg 2); 3 ]"},
      {"{}", "{ }"},
      {"@sin", "@sin"},
  };
  for (const TokenCase &c : cases) EXPECT_EQ(parseOne(c.text), c.expected) << c.text;
}

TEST(Parser, AnonymousFunctionsNameTheirParametersAndTheNamesTheyCapture) {
  const TokenCase cases[] = {
      {"f = @(x) x * 2 + 1", "(= f (@ x -> (+ (* x 2) 1) []))"},
      {"@() k", "(@ -> k [k])"},
      {"@(a, b) a + b * k", "(@ a b -> (+ a (* b k)) [k])"},
      // A nested function's captured names are read by the outer one.
      {"@(x) @(y) x + y + z", "(@ x -> (@ y -> (+ (+ x y) z) [x z]) [z])"},
      {"@(s) s.f(n)", "(@ s -> (index (field s f) n) [n])"},
      // The expression after the parameters starts a new element neither
      // in brackets nor with a quote.
      {"{@(x) x + 1, @() 'hi'}", "{ (@ x -> (+ x 1) []) (@ -> 'hi' []) }"},
      {"[@(x) x]", "[ (@ x -> x []) ]"},
      {"g = @ (v) v'", "(= g (@ v -> (' v) []))"},
  };
  for (const TokenCase &c : cases) EXPECT_EQ(parseOne(c.text), c.expected) << c.text;
}

TEST(Parser, AnonymousFunctionsKeepTheirTextFromTheAtToTheEndOfTheExpression) {
  const TokenCase cases[] = {
      {"f = @(x)   x+1  ;", "@(x)   x+1"},
      {"c = {1, @(a,b) max(a, b) }", "@(a,b) max(a, b)"},
      {"y = 1\nh = @() y % the comment is not the function's", "@() y"},
  };
  for (const TokenCase &c : cases) {
    Symbols symbols;
    Parser p(c.text, symbols);
    std::string text;
    while (!p.atEnd()) {
      const StmtPtr s = p.next();
      if (s->kind != StmtKind::Assign) continue;
      const Expr &e = *s->expr;
      const Expr &fn = e.kind == ExprKind::Cell ? *e.rows[0].back() : e;
      if (fn.anonymous) text = fn.anonymous->text;
    }
    EXPECT_EQ(text, c.expected) << c.text;
  }
}

struct ErrorCase {
  const char *text;
  const char *message;    // without the place
  const char *lastError;  // the place in words
  int line, column;       // where the caret goes
  bool incomplete;
};

TEST(Parser, MalformedInputNamesTheProblemAndItsPlace) {
  const ErrorCase cases[] = {
      {"x = (1 + 2))", "Unexpected ')'.", "Unexpected ')' at column 12.", 1, 12, false},
      // An unclosed bracket is shown at the bracket, wherever it is found.
      {"x = [1 2", "Unbalanced brackets: '[' is not closed.", "Unbalanced brackets: '[' at column 5 is not closed.", 1,
       5, true},
      {"x = (1\ny = 2", "Unbalanced brackets: '(' is not closed.",
       "Unbalanced brackets: '(' at column 5 is not closed.", 1, 5, false},
      {"a = 1\nx = [1 2\ny = 'z'; ]]", "Unbalanced brackets: '[' is not closed.",
       "Unbalanced brackets: '[' at line 2, column 5 is not closed.", 2, 5, false},
      {"x = {1, 2]", "Unexpected ']'.", "Unexpected ']' at column 10.", 1, 10, false},
      {"s = 'abc", "Unterminated string.", "Unterminated string at column 5.", 1, 5, false},
      {"x = 3 $ 4", "Invalid character '$'.", "Invalid character '$' at column 7.", 1, 7, false},
      {"x = 1 +", "Unexpected end of input.", "Unexpected end of input at column 8.", 1, 8, true},
      {"if x\n  y = 1", "Missing 'end' for the 'if'.", "Missing 'end' for the 'if' at column 1.", 1, 1, true},
      {"x = 1\nfor k = 1:3", "Missing 'end' for the 'for'.", "Missing 'end' for the 'for' at line 2, column 1.", 2, 1,
       true},
      {"1 = x", "Invalid target of an assignment before '='.",
       "Invalid target of an assignment before '=' at column 3.", 1, 3, false},
      {"end", "Unexpected 'end'.", "Unexpected 'end' at column 1.", 1, 1, false},
      {"x = 1\n\tif y, z = )", "Unexpected ')'.", "Unexpected ')' at line 2, column 12.", 2, 12, false},
      {"x = @(y, y) y", "The parameter 'y' is repeated.", "The parameter 'y' at column 10 is repeated.", 1, 10, false},
      {"x = @(y z) y", "Unexpected 'z'.", "Unexpected 'z' at column 9.", 1, 9, false},
      {"x = @(1) 2", "Unexpected '1'.", "Unexpected '1' at column 7.", 1, 7, false},
      {"x = @(y)", "Unexpected end of input.", "Unexpected end of input at column 9.", 1, 9, true},
  };
  for (const ErrorCase &c : cases) {
    Symbols symbols;
    Parser p(c.text, symbols);
    try {
      while (!p.atEnd()) p.next();
      ADD_FAILURE() << c.text << " parsed";
    } catch (const ParseError &e) {
      EXPECT_EQ(e.brief(), c.message) << c.text;
      EXPECT_EQ(std::string(e.what()), c.lastError) << c.text;
      EXPECT_EQ(e.line(), c.line) << c.text;
      EXPECT_EQ(e.column(), c.column) << c.text;
      EXPECT_EQ(e.incomplete(), c.incomplete) << c.text;
    }
  }
}

TEST(Parser, StatementsRecordTheirLinesForErrorRecovery) {
  Symbols symbols;
  Parser p("a = 1, b = 2\nif x\n  c = 3\nend; d", symbols);
  std::vector<std::pair<int, int>> lines;
  while (!p.atEnd()) {
    StmtPtr s = p.next();
    lines.emplace_back(s->line, s->lastLine);
  }
  const std::vector<std::pair<int, int>> expected = {{1, 1}, {1, 1}, {2, 4}, {4, 4}};
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace zq::shell
