// Recursive-descent parser. Operator precedence, loosest first:
//   ||   &&   |   &   comparisons   :   + -   * / \ .* ./ .\ (left division)
//   unary + - ~   ^ .^   postfix ' .' and indexing
// (so -2^2 is -4 and 2^-1 is 0.5, as users of array languages expect).
#include "shell/parser.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <span>

#include "shell/evaluator.h"
#include "zqhost/host.h"

namespace zq::shell {

int Symbols::intern(std::string_view name) {
  const auto it = slots_.find(std::string(name));
  if (it != slots_.end()) return it->second;
  const int slot = static_cast<int>(names_.size());
  names_.emplace_back(name);
  slots_.emplace(names_.back(), slot);
  return slot;
}

int Symbols::find(std::string_view name) const {
  const auto it = slots_.find(std::string(name));
  return it == slots_.end() ? -1 : it->second;
}

namespace {

// Builtins and host functions are known before any script runs.
bool isFunctionName(const std::string &name) {
  return zqhost::findBuiltin(name) != nullptr || findHostFunction(name) != nullptr;
}

struct OpName {
  const char *text;
  Op op;
};

constexpr OpName kComparisons[] = {{"<", Op::Lt},  {"<=", Op::Le}, {">", Op::Gt}, {">=", Op::Ge},
                                   {"==", Op::Eq}, {"~=", Op::Ne}, {"!=", Op::Ne}};
constexpr OpName kAdditive[] = {{"+", Op::Add}, {"-", Op::Sub}};
constexpr OpName kMultiplicative[] = {{"*", Op::Mul},    {"/", Op::Div},    {"\\", Op::LeftDiv},
                                      {".*", Op::ElMul}, {"./", Op::ElDiv}, {".\\", Op::ElLeftDiv}};
constexpr OpName kPower[] = {{"^", Op::Pow}, {".^", Op::ElPow}};
constexpr OpName kUnary[] = {{"-", Op::Neg}, {"+", Op::Plus}, {"~", Op::Not}, {"!", Op::Not}};

constexpr OpName kOrOr[] = {{"||", Op::OrOr}};
constexpr OpName kAndAnd[] = {{"&&", Op::AndAnd}};
constexpr OpName kElementOr[] = {{"|", Op::Or}};
constexpr OpName kElementAnd[] = {{"&", Op::And}};

// Binary operator levels, loosest first; the empty level is the range.
constexpr std::span<const OpName> kLevels[] = {kOrOr,        kAndAnd, kElementOr, kElementAnd,
                                               kComparisons, {},      kAdditive,  kMultiplicative};

const OpName *matchOp(const Token &t, std::span<const OpName> table) {
  if (t.kind != Tok::Op) return nullptr;
  for (const OpName &o : table) {
    if (t.text == o.text) return &o;
  }
  return nullptr;
}

std::string describe(const Token &t) {
  switch (t.kind) {
    case Tok::Newline: return "end of line";
    case Tok::Eof: return "end of input";
    case Tok::String: return "string '" + t.text + "'";
    default: return "'" + t.text + "'";
  }
}

}  // namespace

// The children of an expression are pushed on a stack linked through
// `base` and destroyed one node at a time, so no destructor recurses more
// than one level, and nothing is allocated on the way.
Expr::~Expr() {
  std::unique_ptr<Expr> stack;
  const auto push = [&stack](std::unique_ptr<Expr> node) {
    while (node) {
      std::unique_ptr<Expr> below = std::move(node->base);
      node->base = std::move(stack);
      stack = std::move(node);
      node = std::move(below);
    }
  };
  push(std::move(base));
  for (auto &a : args) push(std::move(a));
  for (auto &row : rows) {
    for (auto &a : row) push(std::move(a));
  }
  while (stack) {
    std::unique_ptr<Expr> node = std::move(stack);
    stack = std::move(node->base);
    for (auto &a : node->args) push(std::move(a));
    for (auto &row : node->rows) {
      for (auto &a : row) push(std::move(a));
    }
  }
}

bool isAssignable(const Expr &e) {
  switch (e.kind) {
    case ExprKind::Ident: return true;
    case ExprKind::Index:
    case ExprKind::Field:
    case ExprKind::DynField: return isAssignable(*e.base);
    default: return false;
  }
}

// Brackets, blocks and prefix operators nest at most this deep: the parser
// and the evaluator recurse once per level, and a limit well inside the
// stack gives a clear error instead of a crash. Chains that do not nest
// (a + b + ..., a(1)(2)...) are read with loops; postfix chains count
// toward the limit because they are evaluated by recursion.
constexpr int kMaxNesting = 256;

// One level of nesting while it lives.
class Parser::Level {
 public:
  Level(Parser &parser, const Token &at, int levels = 1) : parser_(parser), levels_(levels) {
    if (parser_.depth_ + levels > kMaxNesting) parser_.tooDeep(at);
    parser_.depth_ += levels;
  }
  ~Level() { parser_.depth_ -= levels_; }
  Level(const Level &) = delete;
  Level &operator=(const Level &) = delete;

 private:
  Parser &parser_;
  int levels_;
};

void Parser::tooDeep(const Token &t) const {
  throw ParseError(
      "Nesting is too deep",
      ": at most " + std::to_string(kMaxNesting) + " levels of brackets, blocks and operators are allowed.", t);
}

Parser::Parser(std::string_view source, Symbols &symbols, bool commands)
    : source_(source), commands_(commands), tokens_(tokenize(source_, commands)), symbols_(symbols) {}

const Token &Parser::peek(size_t ahead) const {
  const size_t i = pos_ + ahead;
  return i < tokens_.size() ? tokens_[i] : tokens_.back();
}

const Token &Parser::advance() {
  const Token &t = tokens_[pos_];
  if (pos_ + 1 < tokens_.size()) ++pos_;
  return t;
}

bool Parser::isOp(const char *text, size_t ahead) const {
  const Token &t = peek(ahead);
  return t.kind == Tok::Op && t.text == text;
}

bool Parser::isKeyword(const char *word) const { return peek().kind == Tok::Keyword && peek().text == word; }

bool Parser::acceptOp(const char *text) {
  if (!isOp(text)) return false;
  advance();
  return true;
}

// Consumes the closing bracket of opener; a statement that ends first has
// unbalanced brackets.
void Parser::expectOp(const char *text, const Token &opener) {
  if (acceptOp(text)) return;
  const Token &t = peek();
  if (t.kind == Tok::Newline || t.kind == Tok::Eof || (t.kind == Tok::Semi && !t.synthetic)) {
    throw ParseError("Unbalanced brackets: '" + opener.text + "'", " is not closed.", opener, t.kind == Tok::Eof);
  }
  unexpected(t);
}

bool Parser::atTerminator() const {
  const Tok k = peek().kind;
  return k == Tok::Comma || k == Tok::Semi || k == Tok::Newline || k == Tok::Eof;
}

void Parser::unexpected(const Token &t) const {
  if (t.kind == Tok::Error) {
    if (t.wholeMessage) throw ParseError(t.text, t);
    throw ParseError(t.text, ".", t);
  }
  // A bracket opened on an earlier line and never closed swallowed this one.
  if (!openMatrices_.empty() && t.line > openMatrices_.back().line) {
    const Token &o = openMatrices_.back();
    throw ParseError("Unbalanced brackets: '" + o.text + "'", " is not closed.", o, t.kind == Tok::Eof);
  }
  if (t.kind == Tok::Eof) throw ParseError("Unexpected end of input", ".", t, true);
  throw ParseError("Unexpected " + describe(t), ".", t);
}

bool Parser::atEnd() {
  while (peek().kind == Tok::Newline || peek().kind == Tok::Semi || peek().kind == Tok::Comma) advance();
  return peek().kind == Tok::Eof;
}

StmtPtr Parser::next() {
  atEnd();
  return statement();
}

int Parser::restartAfterLine() {
  const int line = peek().line;
  size_t offset = 0;
  for (int l = 1; l <= line && offset != std::string::npos; ++l) {
    offset = source_.find('\n', offset);
    if (offset != std::string::npos) ++offset;
  }
  openMatrices_.clear();
  pos_ = 0;
  base_ = offset == std::string::npos ? source_.size() : offset;
  tokens_ = tokenize(std::string_view(source_).substr(base_), commands_, line + 1);
  return line;
}

ExprPtr Parser::make(ExprKind kind, const Token &at) const {
  auto e = std::make_unique<Expr>();
  e->kind = kind;
  e->line = at.line;
  e->column = at.column;
  return e;
}

// ---- Statements ------------------------------------------------------------

StmtPtr Parser::statement() {
  const Token &t = peek();
  const Level level(*this, t);
  StmtPtr s;
  if (t.kind == Tok::Keyword) {
    if (t.text == "if") return ifStatement();
    if (t.text == "for" || t.text == "while") return loopStatement();
    if (t.text == "try") return tryStatement();
    if (t.text == "break" || t.text == "continue") {
      s = std::make_unique<Stmt>();
      s->kind = t.text == "break" ? StmtKind::Break : StmtKind::Continue;
      s->line = t.line;
      s->column = t.column;
      advance();
    } else {
      unexpected(t);
    }
  } else if (t.kind == Tok::Command) {
    s = std::make_unique<Stmt>();
    s->kind = StmtKind::Command;
    s->line = t.line;
    s->column = t.column;
    s->command = advance();
  } else if (isOp("[") && startsMultiAssignment()) {
    s = multiAssignment();
  } else {
    s = assignmentOrExpression();
  }
  endStatement(*s);
  return s;
}

// Consumes the statement's terminator and notes whether it prints.
void Parser::endStatement(Stmt &s) {
  const Token &t = peek();
  s.lastLine = t.line;
  if (t.kind == Tok::Keyword && (t.text == "end" || t.text == "else" || t.text == "elseif" || t.text == "catch")) {
    s.print = true;
    return;
  }
  if (!atTerminator()) unexpected(t);
  s.print = t.kind != Tok::Semi;
  if (t.kind != Tok::Eof) advance();
}

Block Parser::block(std::initializer_list<const char *> enders, const Token &opener) {
  Block body;
  while (true) {
    while (peek().kind == Tok::Newline || peek().kind == Tok::Semi || peek().kind == Tok::Comma) advance();
    if (peek().kind == Tok::Eof) {
      throw ParseError("Missing 'end' for the '" + opener.text + "'", ".", opener, true);
    }
    if (peek().kind == Tok::Keyword) {
      for (const char *e : enders) {
        if (peek().text == e) return body;
      }
    }
    body.push_back(statement());
  }
}

// A statement of kind that starts at the keyword opener, which it consumes.
StmtPtr Parser::keywordStatement(StmtKind kind, Token &opener) {
  auto s = std::make_unique<Stmt>();
  s->kind = kind;
  opener = advance();
  s->line = opener.line;
  s->column = opener.column;
  return s;
}

StmtPtr Parser::ifStatement() {
  Token opener;
  StmtPtr s = keywordStatement(StmtKind::If, opener);
  Clause first;
  first.line = opener.line;
  first.condition = expression();
  first.body = block({"elseif", "else", "end"}, opener);
  s->clauses.push_back(std::move(first));
  while (isKeyword("elseif")) {
    Clause c;
    c.line = advance().line;
    c.condition = expression();
    c.body = block({"elseif", "else", "end"}, opener);
    s->clauses.push_back(std::move(c));
  }
  if (isKeyword("else")) {
    Clause c;
    c.line = advance().line;
    c.body = block({"end"}, opener);
    s->clauses.push_back(std::move(c));
  }
  advance();  // end
  endStatement(*s);
  return s;
}

// for NAME = EXPR ... end, also written for (NAME = EXPR); while COND ... end.
StmtPtr Parser::loopStatement() {
  auto s = std::make_unique<Stmt>();
  const Token kw = advance();
  s->line = kw.line;
  s->column = kw.column;
  if (kw.text == "while") {
    s->kind = StmtKind::While;
    s->expr = expression();
  } else {
    s->kind = StmtKind::For;
    const bool parenthesized = isOp("(") && peek(1).kind == Tok::Ident && isOp("=", 2);
    const Token opener = peek();
    if (parenthesized) advance();
    if (peek().kind != Tok::Ident) unexpected(peek());
    s->targets.push_back(postfix(primary()));
    if (!isAssignable(*s->targets.back())) unexpected(peek());
    if (!acceptOp("=")) unexpected(peek());
    s->expr = expression();
    if (parenthesized) expectOp(")", opener);
  }
  s->body = block({"end"}, kw);
  advance();  // end
  endStatement(*s);
  return s;
}

// try ... end, try ... catch ... end, and try ... catch NAME ... end. A
// name alone on the catch line receives the error, unless it names a
// function: then it is the first statement of the catch block
// ("catch lasterr" shows the error's text).
StmtPtr Parser::tryStatement() {
  Token opener;
  StmtPtr s = keywordStatement(StmtKind::Try, opener);
  s->body = block({"catch", "end"}, opener);
  if (isKeyword("catch")) {
    const Token &catchWord = advance();
    const Token &name = peek();
    const Tok after = peek(1).kind;
    const bool endsLine = after == Tok::Newline || after == Tok::Semi || after == Tok::Comma || after == Tok::Eof;
    if (name.kind == Tok::Ident && name.line == catchWord.line && endsLine && !isFunctionName(name.text)) {
      s->catchSlot = symbols_.intern(name.text);
      advance();
    }
    s->handler = block({"end"}, opener);
  }
  advance();  // end
  endStatement(*s);
  return s;
}

StmtPtr Parser::assignmentOrExpression() {
  auto s = std::make_unique<Stmt>();
  s->line = peek().line;
  s->column = peek().column;
  ExprPtr e = expression();
  if (isOp("=")) {
    if (!isAssignable(*e)) {
      const Token &eq = peek();
      throw ParseError("Invalid target of an assignment before '='", ".", eq);
    }
    advance();
    s->kind = StmtKind::Assign;
    s->targets.push_back(std::move(e));
    s->expr = expression();
  } else {
    s->kind = StmtKind::Expression;
    s->expr = std::move(e);
  }
  return s;
}

// A '[' at the start of a statement begins a multiple assignment when the
// matching ']' is followed by '='.
bool Parser::startsMultiAssignment() const {
  int depth = 0;
  for (size_t i = pos_; i < tokens_.size(); ++i) {
    const Token &t = tokens_[i];
    if (t.kind == Tok::Newline || t.kind == Tok::Eof) return false;
    if (t.kind != Tok::Op) continue;
    if (t.text == "[" || t.text == "(" || t.text == "{") ++depth;
    if (t.text == "]" || t.text == ")" || t.text == "}") {
      if (--depth == 0) return i + 1 < tokens_.size() && tokens_[i + 1].kind == Tok::Op && tokens_[i + 1].text == "=";
    }
  }
  return false;
}

// [a, b, ~] = f(...): each target is a name with indexes, or ~ to discard.
StmtPtr Parser::multiAssignment() {
  auto s = std::make_unique<Stmt>();
  s->kind = StmtKind::MultiAssign;
  const Token opener = advance();
  s->line = opener.line;
  s->column = opener.column;
  while (!isOp("]")) {
    if (isOp("~") || isOp("!")) {
      advance();
      s->targets.push_back(nullptr);
    } else {
      if (peek().kind != Tok::Ident) unexpected(peek());
      s->targets.push_back(postfix(primary()));
      if (!isAssignable(*s->targets.back())) unexpected(peek());
    }
    if (peek().kind == Tok::Comma)
      advance();
    else if (!isOp("]"))
      unexpected(peek());
  }
  advance();  // ]
  advance();  // =
  if (s->targets.empty()) unexpected(opener);
  s->expr = expression();
  return s;
}

// ---- Expressions -------------------------------------------------------------

ExprPtr Parser::expression() {
  const Level level(*this, peek());
  return binaryLevel(0);
}

namespace {

ExprPtr binary(Op op, ExprPtr l, ExprPtr r, const Token &at) {
  auto e = std::make_unique<Expr>();
  e->kind = ExprKind::Binary;
  e->op = op;
  e->line = at.line;
  e->column = at.column;
  e->args.push_back(std::move(l));
  e->args.push_back(std::move(r));
  return e;
}

}  // namespace

// One level of left-associative binary operators; the empty level marks
// where ranges bind, the end of the table where unary operators start.
ExprPtr Parser::binaryLevel(size_t level) {
  if (level == std::size(kLevels)) return signs(false);
  if (kLevels[level].empty()) return range(level + 1);
  ExprPtr l = binaryLevel(level + 1);
  while (const OpName *o = matchOp(peek(), kLevels[level])) {
    const Token at = advance();
    l = binary(o->op, std::move(l), binaryLevel(level + 1), at);
  }
  return l;
}

// a:b or a:b:c (start, step, stop); the operands bind tighter.
ExprPtr Parser::range(size_t operandLevel) {
  ExprPtr first = binaryLevel(operandLevel);
  if (!isOp(":")) return first;
  const Token at = advance();
  auto e = make(ExprKind::Range, at);
  e->args.push_back(std::move(first));
  e->args.push_back(binaryLevel(operandLevel));
  if (acceptOp(":")) e->args.push_back(binaryLevel(operandLevel));
  return e;
}

// Prefix signs: before a power (-2^2 is -(2^2)), or after ^ where the
// operand may carry its own signs (2^-1).
ExprPtr Parser::signs(bool powerOperand) {
  if (const OpName *o = matchOp(peek(), kUnary)) {
    const Level level(*this, peek());
    const Token at = advance();
    auto e = make(ExprKind::Unary, at);
    e->op = o->op;
    e->args.push_back(signs(powerOperand));
    return e;
  }
  return powerOperand ? postfix(primary()) : power();
}

ExprPtr Parser::power() {
  ExprPtr l = postfix(primary());
  while (const OpName *o = matchOp(peek(), kPower)) {
    const Token at = advance();
    l = binary(o->op, std::move(l), signs(true), at);
  }
  return l;
}

// Indexes, fields and transposes after a primary.
ExprPtr Parser::postfix(ExprPtr e) {
  for (int chained = 0;; ++chained) {
    const Token &t = peek();
    if (t.kind != Tok::Op) return e;
    const Level level(*this, t, chained);
    if (t.text == "(" || t.text == "{") {
      const Token opener = advance();
      auto index = make(ExprKind::Index, opener);
      index->brace = opener.text == "{";
      index->base = std::move(e);
      indexArguments(*index, index->brace ? "}" : ")", opener);
      e = std::move(index);
    } else if (t.text == "." && (peek(1).kind == Tok::Ident || peek(1).kind == Tok::Keyword)) {
      const Token at = advance();
      auto field = make(ExprKind::Field, at);
      field->text = advance().text;
      field->base = std::move(e);
      e = std::move(field);
    } else if (t.text == "." && isOp("(", 1)) {
      advance();
      const Token opener = advance();
      auto field = make(ExprKind::DynField, opener);
      field->base = std::move(e);
      field->args.push_back(expression());
      expectOp(")", opener);
      e = std::move(field);
    } else if (t.text == "'" || t.text == ".'") {
      const Token at = advance();
      auto op = make(ExprKind::Unary, at);
      op->op = at.text == "'" ? Op::CTranspose : Op::Transpose;
      op->args.push_back(std::move(e));
      e = std::move(op);
    } else {
      return e;
    }
  }
}

void Parser::indexArguments(Expr &e, const char *closer, const Token &opener) {
  if (acceptOp(closer)) return;
  while (true) {
    const bool lone = isOp(":") && (peek(1).kind == Tok::Comma || isOp(closer, 1));
    if (lone) {
      e.args.push_back(make(ExprKind::Colon, advance()));
    } else {
      e.args.push_back(expression());
    }
    if (peek().kind == Tok::Comma) {
      advance();
      continue;
    }
    expectOp(closer, opener);
    return;
  }
}

ExprPtr Parser::primary() {
  const Token &t = peek();
  switch (t.kind) {
    case Tok::Number: {
      auto e = make(ExprKind::Number, t);
      e->number = std::strtod(t.text.c_str(), nullptr);
      e->imaginary = t.text.back() == 'i';
      advance();
      return e;
    }
    case Tok::String: {
      auto e = make(ExprKind::String, t);
      e->text = t.text;
      advance();
      return e;
    }
    case Tok::Ident: {
      auto e = make(ExprKind::Ident, t);
      e->text = t.text;
      e->slot = symbols_.intern(t.text);
      advance();
      return e;
    }
    case Tok::EndIndex: {
      auto e = make(ExprKind::End, t);
      advance();
      return e;
    }
    default: break;
  }
  if (t.kind != Tok::Op) unexpected(t);
  if (t.text == "(") {
    const Token opener = advance();
    ExprPtr inner = expression();
    expectOp(")", opener);
    return inner;
  }
  if (t.text == "[" || t.text == "{") {
    const Token opener = advance();
    return matrix(opener, opener.text == "{");
  }
  if (t.text == "@") {
    const Token at = advance();
    if (isOp("(")) return anonymousFunction(at);
    if (peek().kind != Tok::Ident) unexpected(peek());
    auto e = make(ExprKind::Handle, at);
    e->text = advance().text;
    return e;
  }
  unexpected(t);
}

namespace {

// Adds to names the slots of the names e reads that are not yet there; an
// anonymous function inside e reads the names it captures.
void collectNames(const Expr &e, std::vector<int> &names) {
  auto add = [&names](int slot) {
    if (std::find(names.begin(), names.end(), slot) == names.end()) names.push_back(slot);
  };
  if (e.kind == ExprKind::Ident) add(e.slot);
  if (e.anonymous) {
    for (int slot : e.anonymous->names) add(slot);
    return;
  }
  if (e.base) collectNames(*e.base, names);
  for (const ExprPtr &a : e.args) collectNames(*a, names);
  for (const auto &row : e.rows) {
    for (const ExprPtr &a : row) collectNames(*a, names);
  }
}

}  // namespace

// @(a, b) EXPR, after the @: the parameter names, then one expression.
ExprPtr Parser::anonymousFunction(const Token &at) {
  auto fn = std::make_shared<AnonymousBody>();
  const Token opener = advance();
  while (!acceptOp(")")) {
    if (!fn->parameters.empty()) {
      if (peek().kind != Tok::Comma) expectOp(")", opener);
      advance();
    }
    const Token &name = peek();
    if (name.kind != Tok::Ident) unexpected(name);
    const int slot = symbols_.intern(name.text);
    if (std::find(fn->parameters.begin(), fn->parameters.end(), slot) != fn->parameters.end()) {
      throw ParseError("The parameter '" + name.text + "'", " is repeated.", name);
    }
    fn->parameters.push_back(slot);
    advance();
  }
  fn->body = expression();
  const Token &last = tokens_[pos_ - 1];
  fn->text = source_.substr(base_ + at.offset, last.end - at.offset);
  collectNames(*fn->body, fn->names);
  std::erase_if(fn->names, [&](int slot) {
    return std::find(fn->parameters.begin(), fn->parameters.end(), slot) != fn->parameters.end();
  });
  fn->symbols = &symbols_;
  auto e = make(ExprKind::Handle, at);
  e->anonymous = std::move(fn);
  return e;
}

// [ ... ] or { ... }: rows separated by ';' (or newlines), elements by ','
// (or blanks). Empty rows are dropped.
ExprPtr Parser::matrix(const Token &opener, bool cell) {
  const char *closer = cell ? "}" : "]";
  auto e = make(cell ? ExprKind::Cell : ExprKind::Matrix, opener);
  openMatrices_.push_back(opener);
  std::vector<ExprPtr> row;
  while (true) {
    const Token &t = peek();
    if (isOp(closer)) {
      advance();
      break;
    }
    if (t.kind == Tok::Semi) {
      advance();
      if (!row.empty()) e->rows.push_back(std::move(row));
      row.clear();
      continue;
    }
    if (t.kind == Tok::Comma) {
      advance();
      continue;
    }
    if (t.kind == Tok::Newline || t.kind == Tok::Eof) expectOp(closer, opener);
    row.push_back(expression());
    if (!(peek().kind == Tok::Comma || peek().kind == Tok::Semi || isOp(closer))) expectOp(closer, opener);
  }
  if (!row.empty()) e->rows.push_back(std::move(row));
  openMatrices_.pop_back();
  return e;
}

}  // namespace zq::shell
