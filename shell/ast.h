// The syntax tree of the zq language, as the parser builds it and the
// evaluator walks it. Names are interned into slots so that the evaluator
// finds a variable by index, not by string.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/qx.h"
#include "shell/lexer.h"

namespace zq::shell {

// Name <-> slot numbers of one session's variables.
class Symbols {
 public:
  int intern(std::string_view name);
  int find(std::string_view name) const;  // -1 when never seen
  const std::string &name(int slot) const { return names_[static_cast<size_t>(slot)]; }
  int size() const { return static_cast<int>(names_.size()); }

 private:
  std::unordered_map<std::string, int> slots_;
  std::vector<std::string> names_;
};

enum class Op {
  Add,
  Sub,
  Mul,
  Div,
  LeftDiv,
  Pow,
  ElMul,
  ElDiv,
  ElLeftDiv,
  ElPow,
  Lt,
  Le,
  Gt,
  Ge,
  Eq,
  Ne,
  And,
  Or,
  AndAnd,
  OrOr,
  Neg,
  Plus,
  Not,
  Transpose,
  CTranspose
};

enum class ExprKind {
  Number,    // number, imaginary
  String,    // text
  Ident,     // text, slot
  Colon,     // a lone ':' in an index
  End,       // 'end' in an index
  Unary,     // op, args[0]
  Binary,    // op, args[0], args[1]
  Range,     // args: start, stop or start, step, stop
  Matrix,    // rows
  Cell,      // rows
  Index,     // base, args, brace
  Field,     // base, text
  DynField,  // base, args[0]: s.(expr)
  Handle     // text: @name; or anonymous: @(a, b) expr
};

struct HostFunction;
struct AnonymousBody;

struct Expr {
  Expr() = default;
  Expr(Expr &&) = default;
  Expr &operator=(Expr &&) = default;
  // Takes the subtrees apart with a loop: a long flat expression (a sum of
  // many terms) is a tree as deep as it is long, too deep to destroy by
  // recursion.
  ~Expr();

  ExprKind kind;
  int line = 1;
  int column = 1;
  double number = 0;
  bool imaginary = false;
  bool brace = false;
  Op op = Op::Add;
  int slot = -1;
  std::string text;
  std::unique_ptr<Expr> base;
  std::vector<std::unique_ptr<Expr>> args;
  std::vector<std::vector<std::unique_ptr<Expr>>> rows;
  // An anonymous function: shared with the handles made from it, which
  // outlive the statement.
  std::shared_ptr<const AnonymousBody> anonymous;
  // Filled by the evaluator on first use of a name that is not a variable.
  mutable const BuiltinEntry *builtin = nullptr;
  mutable const HostFunction *host = nullptr;
};
using ExprPtr = std::unique_ptr<Expr>;

// A parsed anonymous function "@(a, b) EXPR".
struct AnonymousBody {
  std::string text;             // as written, from the @ to the end of EXPR
  std::vector<int> parameters;  // slots of a, b
  // Slots of the other names EXPR reads (those of anonymous functions
  // inside it included), in order of first use: the variables among them
  // are captured when a handle is made.
  std::vector<int> names;
  ExprPtr body;
  const Symbols *symbols = nullptr;  // the table the slots belong to
};

enum class StmtKind { Expression, Assign, MultiAssign, If, For, While, Break, Continue, Command, Try };

struct Stmt;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

struct Clause {
  ExprPtr condition;  // null for else
  Block body;
  int line = 1;  // of its if, elseif or else
};

struct Stmt {
  StmtKind kind;
  int line = 1;
  int column = 1;
  int lastLine = 1;              // line of the statement's terminator
  bool print = false;            // not ended by ';'
  ExprPtr expr;                  // Expression, Assign (value), For (range), While (condition)
  std::vector<ExprPtr> targets;  // Assign, MultiAssign (null for ~), For (variable)
  std::vector<Clause> clauses;   // If
  Block body;                    // For, While, Try (the guarded block)
  Block handler;                 // Try: the catch block
  int catchSlot = -1;            // Try: the variable of "catch NAME", or -1
  Token command;                 // Command
};

}  // namespace zq::shell
