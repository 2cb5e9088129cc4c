// The evaluator: one workspace of variables (found by slot), statements
// and expressions, calls of the library's builtins through the host's
// dispatch and of the shell's own host functions, and display.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/ast.h"
#include "shell/indexing.h"
#include "shell/value.h"
#include "zqhost/host.h"

namespace zq::shell {

class Closure;
class Evaluator;

// A function the shell provides besides the library's builtins.
using HostFn = Values (*)(Evaluator &ev, int nargout, Values &args);
struct HostFunction {
  const char *name;
  HostFn fn;
};
// The host function of that name, or null; all of them.
const HostFunction *findHostFunction(std::string_view name);
std::span<const HostFunction> hostFunctions();

// Thrown by exit and quit.
struct ExitRequest {
  int status = 0;
};

class Evaluator {
 public:
  Evaluator();
  ~Evaluator();
  Evaluator(const Evaluator &) = delete;
  Evaluator &operator=(const Evaluator &) = delete;

  Symbols &symbols() { return symbols_; }

  // Runs one top-level statement. Raises zqhost::Error, zqhost::Interrupt,
  // ParseError (for a command re-read as an expression) or ExitRequest.
  void execute(const Stmt &s);
  // The source line of the statement (or condition) running or last run:
  // where an error that leaves execute happened.
  int line() const { return line_; }

  // Calls a builtin or host function by name.
  Values call(const std::string &name, int nargout, Values &args);
  // Calls the function a 1-by-1 handle names, or its anonymous function.
  Values callHandle(const Value &handle, int nargout, Values &args);
  // The anonymous function of a text such as "@(x) x + y" (str2func), with
  // the variables it reads captured from the workspace; null when the text
  // is not exactly one anonymous function.
  zqhost::AnonymousFunctionPtr anonymousFromText(std::string_view text);
  // True when name is a builtin or a host function.
  bool isFunction(std::string_view name) const;

  // Variables by name (for the host functions).
  const Value *variable(std::string_view name) const;
  void setVariable(std::string_view name, Value v);
  void clearVariable(std::string_view name);
  void clearAll();
  void makeGlobal(std::string_view name);
  bool isGlobal(std::string_view name) const;
  std::vector<std::string> variableNames() const;

  // Shows a value under a name after a statement without ';'.
  void display(const std::string &name, const Value &v);

  // Lets at most n more statements and loop iterations run, then raises an
  // error at each (for running untrusted scripts, such as fuzzed ones); a
  // negative n lifts the limit.
  void limitStatements(long n) { statementBudget_ = n; }

 private:
  enum class Flow { Normal, Break, Continue };
  struct Variable {
    Value value;
    bool defined = false;
    bool global = false;
  };
  struct EndContext {
    const Value *base;
    int position;
    int count;
  };

  class Binding;

  Symbols symbols_;
  int ansSlot_;
  int line_ = 0;
  std::vector<Variable> vars_;  // by slot; see execute() for its capacity
  int running_ = 0;             // statements running (execute() calls)
  // The workspace's variables that the names of running anonymous
  // functions hide, by slot, innermost call last.
  std::vector<std::pair<int, Variable>> shadowed_;
  int callDepth_ = 0;  // anonymous functions running
  std::vector<EndContext> ends_;
  std::unique_ptr<BuiltinEntry> rangeEntry_;  // _colonobj for every class
  mutable long statementBudget_ = -1;         // statements left to run; -1: no limit

  Variable &slot(int s);
  Variable *defined(int s);
  void assignSlot(int s, Value v);
  void pollInterrupt() const;

  Flow run(const Block &body);
  Flow run(const Stmt &s);
  void expressionStatement(const Stmt &s);
  void assignment(const Stmt &s);
  void multiAssignment(const Stmt &s);
  Flow forLoop(const Stmt &s);
  Flow whileLoop(const Stmt &s);
  Flow tryStatement(const Stmt &s);
  Flow caught(const Stmt &s, const char *text);
  void command(const Stmt &s);
  void showVariable(const Expr &target);

  Value eval(const Expr &e);
  Values evalMulti(const Expr &e, int nargout);
  void evalArgs(const std::vector<ExprPtr> &args, Values &out);
  Subscripts subscripts(const Expr &index, const Value &base);
  Value literal(const Expr &e) const;
  Value range(const Expr &e);
  Value matrix(const Expr &e);
  Value cellLiteral(const Expr &e);
  Value handle(const Expr &e);
  std::shared_ptr<const Closure> capture(std::shared_ptr<const AnonymousBody> body);
  Values callClosure(const Closure &fn, int nargout, std::span<Value> args);
  bool callAnonymousValue(const Expr &e, Value &result);
  Value binaryChain(const Expr &e);
  bool isCall(const Expr &e);
  Values callExpr(const Expr &callee, const std::vector<ExprPtr> *args, int nargout);
  Values callResolved(const Expr &callee, int nargout, Values &args);

  // Assignment into name(...).field{...} chains.
  struct Step;
  void assignTo(const Expr &target, const Value &rhs);
  Step makeStep(const Expr &e, const Value &base);
  bool extract(const Value &base, const Step &step, Value &part);
  void store(Value &base, bool isDefined, const Step &step, const Value &v);
};

// The evaluator that builtins reach through the display callbacks.
void setCurrentEvaluator(Evaluator *ev);

}  // namespace zq::shell
