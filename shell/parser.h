// The parser: builds statements from tokens, one top-level statement at a
// time, so that a run that goes on after errors runs up to each malformed
// line and then goes on after it.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "shell/ast.h"
#include "shell/lexer.h"

namespace zq::shell {

// A malformed statement at a token: line and column (from 1) say where,
// and incomplete is set when the text ended inside an open bracket or
// block, so that the prompt can ask for more lines. Its text (what(), the
// last error) names the place in words, between subject and rest:
// "Unexpected ')' at line 3, column 7."; brief() leaves the place out, for
// a report that shows the line and a caret instead.
class ParseError : public std::runtime_error {
 public:
  ParseError(const std::string &subject, const std::string &rest, const Token &at, bool incomplete = false)
      : std::runtime_error(subject + " at " + position(at.line, at.column) + rest),
        brief_(subject + rest),
        line_(at.line),
        column_(at.column),
        incomplete_(incomplete) {}
  // A text that names no place in words.
  ParseError(const std::string &text, const Token &at)
      : std::runtime_error(text), brief_(text), line_(at.line), column_(at.column), incomplete_(false) {}
  const std::string &brief() const { return brief_; }
  int line() const { return line_; }
  int column() const { return column_; }
  bool incomplete() const { return incomplete_; }

 private:
  std::string brief_;
  int line_;
  int column_;
  bool incomplete_;
};

class Parser {
 public:
  Parser(std::string_view source, Symbols &symbols, bool commands = true);

  // True when only separators remain.
  bool atEnd();
  // The next top-level statement; raises ParseError.
  StmtPtr next();
  // After an error: goes on at the start of the line after the current
  // token's, reading the text afresh (so that a bracket left open does not
  // swallow the lines after it). Returns the line abandoned.
  int restartAfterLine();
  // Line of the next token.
  int line() const { return tokens_[pos_].line; }

 private:
  std::string source_;
  size_t base_ = 0;  // where the text that tokens_ came from starts in source_
  bool commands_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  Symbols &symbols_;
  std::vector<Token> openMatrices_;  // openers of the [ ] and { } being read
  int depth_ = 0;                    // levels of nesting being read

  class Level;
  [[noreturn]] void tooDeep(const Token &t) const;

  const Token &peek(size_t ahead = 0) const;
  const Token &advance();
  bool isOp(const char *text, size_t ahead = 0) const;
  bool isKeyword(const char *word) const;
  bool acceptOp(const char *text);
  void expectOp(const char *text, const Token &opener);
  bool atTerminator() const;
  [[noreturn]] void unexpected(const Token &t) const;

  StmtPtr statement();
  Block block(std::initializer_list<const char *> enders, const Token &opener);
  void endStatement(Stmt &s);
  StmtPtr keywordStatement(StmtKind kind, Token &opener);
  StmtPtr ifStatement();
  StmtPtr loopStatement();
  StmtPtr tryStatement();
  StmtPtr assignmentOrExpression();
  StmtPtr multiAssignment();
  bool startsMultiAssignment() const;

  ExprPtr expression();
  ExprPtr binaryLevel(size_t level);
  ExprPtr range(size_t operandLevel);
  ExprPtr signs(bool powerOperand);
  ExprPtr power();
  ExprPtr postfix(ExprPtr e);
  ExprPtr primary();
  ExprPtr anonymousFunction(const Token &at);
  ExprPtr matrix(const Token &opener, bool cell);
  void indexArguments(Expr &e, const char *closer, const Token &opener);
  ExprPtr make(ExprKind kind, const Token &at) const;
};

// True when e can be assigned to: a name followed by indexes and fields.
bool isAssignable(const Expr &e);

}  // namespace zq::shell
