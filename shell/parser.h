// The parser: builds statements from tokens, one top-level statement at a
// time.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "shell/ast.h"
#include "shell/lexer.h"

namespace zq::shell {

// A malformed statement: the text says what is wrong, line and column
// (from 1) where, and incomplete is set when the text ended inside an open
// bracket or block, so that the prompt can ask for more lines.
class ParseError : public std::runtime_error {
 public:
  ParseError(const std::string &text, int line, int column, bool incomplete)
      : std::runtime_error(text), line_(line), column_(column), incomplete_(incomplete) {}
  ParseError(const std::string &text, const Token &at, bool incomplete = false)
      : ParseError(text, at.line, at.column, incomplete) {}
  int line() const { return line_; }
  int column() const { return column_; }
  bool incomplete() const { return incomplete_; }

 private:
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
  // Line of the next token.
  int line() const { return tokens_[pos_].line; }

 private:
  std::string source_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  Symbols &symbols_;
  std::vector<Token> openMatrices_;  // openers of the [ ] and { } being read

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
