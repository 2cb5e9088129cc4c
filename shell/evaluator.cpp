// Statements and expressions. The loop body of "for k = 1:n, x = k * 2;
// end" touches no string and allocates nothing: names are slots, the
// counter and the product are unboxed scalars, and the range is built once
// by the library's _colonobj.
#include "shell/evaluator.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "shell/arrays.h"
#include "shell/handles.h"
#include "shell/operators.h"
#include "shell/parser.h"
#include "zqhost/host.h"

namespace zq::shell {
namespace {

// Array pointers for a call: on the stack for the usual few, so that a
// builtin call in a loop allocates no argument lists.
class ArrayList {
 public:
  explicit ArrayList(size_t n) : n_(n) {
    if (n > kInline) heap_.resize(n);
    std::fill(data(), data() + n, nullptr);
  }
  qxArray **data() { return n_ > kInline ? heap_.data() : inline_; }
  size_t size() const { return n_; }

 private:
  static constexpr size_t kInline = 8;
  size_t n_;
  qxArray *inline_[kInline];
  std::vector<qxArray *> heap_;
};

// Output slots that own what a builtin stored until they are taken: an
// error leaves nothing behind.
struct OutputSlots : ArrayList {
  using ArrayList::ArrayList;
  ~OutputSlots() {
    for (size_t k = 0; k < size(); ++k) qxDestroyArray(data()[k]);
  }
  OutputSlots(const OutputSlots &) = delete;
  OutputSlots &operator=(const OutputSlots &) = delete;
};

// The first of the values an expression gave where one value is needed.
// None means a call without a result, or c{...} or s.f selecting nothing.
const Value &firstOf(const Values &values, const Expr &e) {
  if (values.empty()) {
    const bool selection =
        (e.kind == ExprKind::Index && e.brace) || e.kind == ExprKind::Field || e.kind == ExprKind::DynField;
    zqhost::raise(selection ? "Indexing produced no results." : zqhost::messageText(3));
  }
  return values.front();
}

}  // namespace

Evaluator::Evaluator() : ansSlot_(symbols_.intern("ans")) {}
Evaluator::~Evaluator() = default;

// ---- Variables ---------------------------------------------------------------

Evaluator::Variable &Evaluator::slot(int s) {
  if (s >= static_cast<int>(vars_.size())) [[unlikely]] {
    const size_t size = static_cast<size_t>(symbols_.size()) + 16;
    // A statement may hold references to variables while it runs: the
    // storage must not move under it.
    if (running_ > 0 && size > vars_.capacity()) zqhost::raise("Too many new names in one statement.");
    vars_.resize(size);
  }
  return vars_[static_cast<size_t>(s)];
}

Evaluator::Variable *Evaluator::defined(int s) {
  if (s < static_cast<int>(vars_.size()) && vars_[static_cast<size_t>(s)].defined)
    return &vars_[static_cast<size_t>(s)];
  return nullptr;
}

void Evaluator::assignSlot(int s, Value v) {
  checkHeldElements(v);
  Variable &var = slot(s);
  var.value = std::move(v);
  var.defined = true;
}

const Value *Evaluator::variable(std::string_view name) const {
  const int s = symbols_.find(name);
  if (s < 0 || s >= static_cast<int>(vars_.size()) || !vars_[static_cast<size_t>(s)].defined) return nullptr;
  return &vars_[static_cast<size_t>(s)].value;
}

void Evaluator::setVariable(std::string_view name, Value v) { assignSlot(symbols_.intern(name), std::move(v)); }

void Evaluator::clearVariable(std::string_view name) {
  const int s = symbols_.find(name);
  if (s >= 0 && s < static_cast<int>(vars_.size())) vars_[static_cast<size_t>(s)] = Variable();
}

void Evaluator::clearAll() {
  for (Variable &v : vars_) v = Variable();
}

void Evaluator::makeGlobal(std::string_view name) {
  Variable &v = slot(symbols_.intern(name));
  if (!v.defined) v.value = Value();
  v.defined = true;
  v.global = true;
}

bool Evaluator::isGlobal(std::string_view name) const {
  const int s = symbols_.find(name);
  return s >= 0 && s < static_cast<int>(vars_.size()) && vars_[static_cast<size_t>(s)].defined &&
         vars_[static_cast<size_t>(s)].global;
}

std::vector<std::string> Evaluator::variableNames() const {
  std::vector<std::string> names;
  for (size_t s = 0; s < vars_.size(); ++s) {
    if (vars_[s].defined) names.push_back(symbols_.name(static_cast<int>(s)));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Called before every statement and loop iteration: an interrupt, or the
// end of a statement budget, stops the run here.
void Evaluator::pollInterrupt() const {
  if (statementBudget_ == 0) zqhost::raise("The statement budget is used up.");
  if (statementBudget_ > 0) --statementBudget_;
  if (zqhost::interruptPending()) {
    zqhost::clearInterrupt();
    throw zqhost::Interrupt();
  }
}

// ---- Display -------------------------------------------------------------------

// Shows a value the way the interpreter does: the library's display builtin,
// called with the array named as the variable.
void Evaluator::display(const std::string &name, const Value &v) {
  const BuiltinEntry *entry = zqhost::findBuiltin("display");
  if (entry == nullptr) zqhost::raise("The display builtin is not registered.");
  qxArray *a = v.array();
  qxSetName(a, name.c_str());
  qxArray *plhs[1] = {nullptr};
  qxArray *prhs[1] = {a};
  zqhost::callBuiltin(*entry, 0, plhs, 1, prhs);
  qxDestroyArray(plhs[0]);
}

// ---- Statements ------------------------------------------------------------------

// Before each statement the variables get room for the names that the
// statement may meet while it runs (str2func of a text reads new names):
// the storage then does not move while the statement holds references to it.
void Evaluator::execute(const Stmt &s) {
  constexpr size_t kRoomForNewNames = 1024;
  const size_t needed = static_cast<size_t>(symbols_.size()) + kRoomForNewNames;
  if (vars_.capacity() < needed) vars_.reserve(2 * needed);
  ++running_;
  struct Done {
    int &running;
    ~Done() { --running; }
  } done{running_};
  if (run(s) != Flow::Normal) zqhost::raise("A break or continue statement must be inside a loop.");
}

// A try statement in a block is entered directly: it does nothing of its
// own (its statements poll for interrupts).
Evaluator::Flow Evaluator::run(const Block &body) {
  for (const StmtPtr &s : body) {
    const Flow f = s->kind == StmtKind::Try ? tryStatement(*s) : run(*s);
    if (f != Flow::Normal) return f;
  }
  return Flow::Normal;
}

Evaluator::Flow Evaluator::run(const Stmt &s) {
  line_ = s.line;
  pollInterrupt();
  switch (s.kind) {
    case StmtKind::Expression: expressionStatement(s); break;
    case StmtKind::Assign: assignment(s); break;
    case StmtKind::MultiAssign: multiAssignment(s); break;
    case StmtKind::Command: command(s); break;
    case StmtKind::For: return forLoop(s);
    case StmtKind::While: return whileLoop(s);
    case StmtKind::Try: return tryStatement(s);
    case StmtKind::Break: return Flow::Break;
    case StmtKind::Continue: return Flow::Continue;
    case StmtKind::If:
      for (const Clause &c : s.clauses) {
        line_ = c.line;
        if (c.condition == nullptr || isTrue(eval(*c.condition))) return run(c.body);
      }
      break;
  }
  return Flow::Normal;
}

// A bare expression: a variable shows itself; anything else becomes ans.
// A call that returns nothing shows nothing.
// Inlined into run(): an error raised by the expression unwinds one frame
// fewer on its way to a try statement.
[[gnu::always_inline]] inline void Evaluator::expressionStatement(const Stmt &s) {
  const Expr &e = *s.expr;
  if (e.kind == ExprKind::Ident && defined(e.slot) != nullptr) {
    if (s.print) display(e.text, defined(e.slot)->value);
    return;
  }
  Values results = evalMulti(e, 0);
  const int ans = ansSlot_;
  for (Value &v : results) {
    assignSlot(ans, std::move(v));
    if (s.print) display("ans", slot(ans).value);
  }
}

void Evaluator::assignment(const Stmt &s) {
  const Expr &target = *s.targets.front();
  if (target.kind == ExprKind::Ident) {
    // The hot path: x = expr.
    Value v = eval(*s.expr);
    assignSlot(target.slot, std::move(v));
  } else {
    assignTo(target, eval(*s.expr));
  }
  if (s.print) showVariable(target);
}

void Evaluator::showVariable(const Expr &target) {
  const Expr *root = &target;
  while (root->kind != ExprKind::Ident) root = root->base.get();
  display(root->text, slot(root->slot).value);
}

void Evaluator::multiAssignment(const Stmt &s) {
  const int nargout = static_cast<int>(s.targets.size());
  Values results = evalMulti(*s.expr, nargout);
  if (static_cast<int>(results.size()) < nargout) {
    // Outputs after the last one produced stay unassigned unless asked for.
    size_t needed = 0;
    for (size_t k = 0; k < s.targets.size(); ++k) {
      if (s.targets[k] != nullptr) needed = k + 1;
    }
    if (results.size() < needed) zqhost::raise(zqhost::messageText(3));
  }
  for (size_t k = 0; k < s.targets.size() && k < results.size(); ++k) {
    if (s.targets[k] == nullptr) continue;
    assignTo(*s.targets[k], results[k]);
  }
  if (!s.print) return;
  for (size_t k = 0; k < s.targets.size() && k < results.size(); ++k) {
    if (s.targets[k] != nullptr) showVariable(*s.targets[k]);
  }
}

// for k = v: k takes each column of v in turn.
Evaluator::Flow Evaluator::forLoop(const Stmt &s) {
  const Value range = eval(*s.expr);
  const Expr &target = *s.targets.front();
  const std::vector<int> dims = dimsOf(range);
  const int rows = dims[0];
  const int columns = rows == 0 ? 0 : numel(range) / rows;
  const bool doubleRow = rows == 1 && classOf(range) == QX_CLASS_DOUBLE && !range.isScalar() &&
                         !qxIsComplex(range.array()) && !qxIsLogical(range.array());
  const double *pr = doubleRow ? qxGetPr(range.array()) : nullptr;
  Subscripts column(2);
  column[0].colon = true;
  for (int j = 0; j < columns; ++j) {
    line_ = s.line;
    pollInterrupt();
    Value item;
    if (range.isScalar()) {
      item = range;
    } else if (pr != nullptr) {
      item = Value::number(pr[j]);
    } else {
      column[1].value = Value::number(j + 1);
      item = indexValue(range, column);
    }
    if (target.kind == ExprKind::Ident)
      assignSlot(target.slot, std::move(item));
    else
      assignTo(target, item);
    if (run(s.body) == Flow::Break) break;
  }
  return Flow::Normal;
}

Evaluator::Flow Evaluator::whileLoop(const Stmt &s) {
  while (true) {
    line_ = s.line;
    pollInterrupt();
    if (!isTrue(eval(*s.expr))) break;
    if (run(s.body) == Flow::Break) break;
  }
  return Flow::Normal;
}

// try BODY catch HANDLER end: an error raised in BODY (by a builtin, the
// host or error()) abandons the rest of BODY, becomes the last error and
// runs HANDLER, where "catch NAME" finds it as NAME.message. An interrupt
// is no error and passes on, as do exit and errors raised in HANDLER.
// Entering BODY does nothing, and this is inlined into the blocks that hold
// the statement, so a BODY that raises nothing costs what it costs alone
// (not even a call). HANDLER runs inside the catch clause, so no text is
// copied out of the error first.
[[gnu::always_inline]] inline Evaluator::Flow Evaluator::tryStatement(const Stmt &s) {
  try {
    for (const StmtPtr &t : s.body) {
      const Flow f = run(*t);
      if (f != Flow::Normal) return f;
    }
    return Flow::Normal;
  } catch (const zqhost::Error &e) {
    return caught(s, e.text().c_str());
  } catch (const ParseError &e) {
    return caught(s, e.what());
  } catch (const std::bad_alloc &) {
    return caught(s, zqhost::messageText(18));
  }
}

Evaluator::Flow Evaluator::caught(const Stmt &s, const char *text) {
  qxSetLastErrMsg(text);
  if (s.catchSlot >= 0) {
    const char *field = "message";
    Value error = Value::adopt(qxCreateStructMatrix(1, 1, 1, &field));
    qxSetFieldByNumber(error.array(), 0, 0, makeString(text).release());
    assignSlot(s.catchSlot, std::move(error));
  }
  return run(s.handler);
}

// "name word word": the words are passed as strings. When name is a
// variable the text is read again as an expression ("a -1").
void Evaluator::command(const Stmt &s) {
  const Token &t = s.command;
  const int var = symbols_.find(t.text);
  if (var >= 0 && defined(var) != nullptr) {
    Parser p(t.raw, symbols_, false);
    StmtPtr again = p.next();
    again->print = s.print;
    if (run(*again) != Flow::Normal) zqhost::raise("A break or continue statement must be inside a loop.");
    return;
  }
  Values args;
  for (const std::string &w : t.words) args.push_back(makeString(w));
  Values results = call(t.text, 0, args);
  if (results.empty()) return;
  const int ans = ansSlot_;
  assignSlot(ans, std::move(results.front()));
  if (s.print) display("ans", slot(ans).value);
}

// ---- Assignment into indexed targets ------------------------------------------------

// One step of a target such as s(2).name{3}: its subscripts or field name,
// evaluated against the value that the step indexes.
struct Evaluator::Step {
  const Expr *expr;
  std::string field;  // Field and DynField
  Subscripts subs;    // Index
};

Evaluator::Step Evaluator::makeStep(const Expr &e, const Value &base) {
  Step step{&e, {}, {}};
  if (e.kind == ExprKind::Field)
    step.field = e.text;
  else if (e.kind == ExprKind::DynField)
    step.field = textOf(eval(*e.args.front()), "A dynamic field name");
  else
    step.subs = subscripts(e, base);
  return step;
}

// The part of base that a step reaches, when it exists (one element).
bool Evaluator::extract(const Value &base, const Step &step, Value &part) {
  if (isPlainEmpty(base)) return false;
  try {
    Values parts;
    if (step.expr->kind != ExprKind::Index) {
      const int c = classOf(base);
      const bool isStruct = c == QX_CLASS_STRUCT || c == QX_CLASS_OBJECT;
      if (isStruct && numel(base) == 1 && qxGetFieldNumber(base.array(), step.field.c_str()) >= 0) {
        parts = fieldValues(base, step.field);
      }
    } else if (step.expr->brace) {
      parts = cellContents(base, step.subs);
    } else {
      parts.push_back(indexValue(base, step.subs));
    }
    if (parts.size() != 1) return false;
    part = std::move(parts.front());
    return true;
  } catch (const zqhost::Error &) {
    return false;  // out of range: the assignment creates the part
  }
}

void Evaluator::store(Value &base, bool isDefined, const Step &step, const Value &v) {
  if (step.expr->kind != ExprKind::Index)
    assignField(base, isDefined, step.field, v);
  else if (step.expr->brace)
    assignCell(base, isDefined, step.subs, v);
  else
    assignIndex(base, isDefined, step.subs, v);
}

// Assigns rhs to a target such as x(i).f{j}. All subscripts are evaluated
// before anything changes, because they may read the variable itself
// (y(y > 2) = 0); then the parts are stored back from the innermost out.
// The variable's own array is changed in place when nothing else shares it.
void Evaluator::assignTo(const Expr &target, const Value &rhs) {
  checkHeldElements(rhs);
  std::vector<const Expr *> path;
  const Expr *root = &target;
  while (root->kind != ExprKind::Ident) {
    path.push_back(root);
    root = root->base.get();
  }
  std::reverse(path.begin(), path.end());
  Variable &var = slot(root->slot);
  if (path.empty()) {
    var.value = rhs;
    var.defined = true;
    return;
  }
  const size_t n = path.size();
  std::vector<Step> steps;
  std::vector<Value> parts(n);
  std::vector<bool> exists(n, false);
  const Value empty;
  const Value *current = var.defined ? &var.value : &empty;
  for (size_t k = 0; k < n; ++k) {
    steps.push_back(makeStep(*path[k], *current));
    if (k + 1 == n) break;
    exists[k + 1] = (k > 0 ? exists[k] : var.defined) && extract(*current, steps[k], parts[k + 1]);
    current = exists[k + 1] ? &parts[k + 1] : &empty;
  }
  Value value = rhs;
  for (size_t k = n - 1; k > 0; --k) {
    store(parts[k], exists[k], steps[k], value);
    value = std::move(parts[k]);
  }
  const bool wasDefined = var.defined;
  Value base = wasDefined ? std::move(var.value) : Value();
  try {
    store(base, wasDefined, steps[0], value);
  } catch (...) {
    if (wasDefined) var.value = std::move(base);
    throw;
  }
  var.value = std::move(base);
  var.defined = true;
}

// ---- Expressions -------------------------------------------------------------------------

Value Evaluator::eval(const Expr &e) {
  switch (e.kind) {
    case ExprKind::Index: {
      Value result;
      if (callAnonymousValue(e, result)) return result;
      return firstOf(evalMulti(e, 1), e);
    }
    case ExprKind::Number:
    case ExprKind::String: return literal(e);
    case ExprKind::Ident:
      if (const Variable *v = defined(e.slot)) return v->value;
      return firstOf(callExpr(e, nullptr, 1), e);
    case ExprKind::Unary: return unaryOp(e.op, eval(*e.args[0]));
    case ExprKind::Binary: return binaryChain(e);
    case ExprKind::Range: return range(e);
    case ExprKind::Matrix: return matrix(e);
    case ExprKind::Cell: return cellLiteral(e);
    case ExprKind::Handle: return handle(e);
    case ExprKind::End: {
      if (ends_.empty()) zqhost::raise("'end' is only valid inside an index.");
      const EndContext &c = ends_.back();
      return Value::number(endOf(*c.base, c.position, c.count));
    }
    case ExprKind::Colon: return makeString(":");
    default: return firstOf(evalMulti(e, 1), e);
  }
}

// Expressions that can give several values (calls, c{:}, s.name) or none.
Values Evaluator::evalMulti(const Expr &e, int nargout) {
  if (e.kind == ExprKind::Ident && defined(e.slot) == nullptr) return callExpr(e, nullptr, nargout);
  if (e.kind == ExprKind::Index && e.base->kind == ExprKind::Ident && !e.brace && defined(e.base->slot) == nullptr) {
    return callExpr(*e.base, &e.args, nargout);
  }
  if (e.kind == ExprKind::Index) {
    const Value base = eval(*e.base);
    if (!e.brace && classOf(base) == QX_CLASS_FUNCTION && numel(base) == 1) {
      // h(args) calls the function of the handle.
      Values args;
      evalArgs(e.args, args);
      return callHandle(base, nargout, args);
    }
    const Subscripts subs = subscripts(e, base);
    if (e.brace) return cellContents(base, subs);
    return {indexValue(base, subs)};
  }
  if (e.kind == ExprKind::Field || e.kind == ExprKind::DynField) {
    const Value base = eval(*e.base);
    const std::string name = e.kind == ExprKind::Field ? e.text : textOf(eval(*e.args.front()), "A dynamic field name");
    return fieldValues(base, name);
  }
  return {eval(e)};
}

namespace {

// Makes out.back() carry name and scope (a plain variable) or no name (any
// other expression), as a builtin reads them with qxGetName and
// qxGetScope. An array passed twice in one call, under two names, is
// passed the second time as a copy sharing its data. A scalar that has no
// array yet gets a new one, which has no name and local scope.
void nameArgument(Values &out, size_t first, const char *name, int scope) {
  Value &v = out.back();
  if (!v.hasArray()) {
    if (*name == '\0') return;
    qxArray *a = v.array();
    qxSetName(a, name);
    if (scope != QX_SCOPE_LOCAL) qxSetScope(a, scope);
    return;
  }
  qxArray *a = v.array();
  for (size_t k = first; k + 1 < out.size(); ++k) {
    if (out[k].hasArray() && out[k].array() == a) {
      v = Value::adopt(qxCreateSharedDataCopy(a));
      a = v.array();
      break;
    }
  }
  const char *current = qxGetName(a);
  if (*name == '\0' ? *current != '\0' : std::strcmp(current, name) != 0) qxSetName(a, name);
  if (qxGetScope(a) != scope) qxSetScope(a, scope);
}

}  // namespace

void Evaluator::evalArgs(const std::vector<ExprPtr> &args, Values &out) {
  const size_t first = out.size();
  for (const ExprPtr &a : args) {
    const ExprKind k = a->kind;
    if (k == ExprKind::Index || k == ExprKind::Field || k == ExprKind::DynField) {
      Values many = evalMulti(*a, 1);
      for (Value &v : many) {
        out.push_back(std::move(v));
        nameArgument(out, first, "", QX_SCOPE_LOCAL);
      }
    } else if (k == ExprKind::Ident && defined(a->slot) != nullptr) {
      // A variable passed as it is carries its name and scope (display
      // prints the name, isglobal reads the scope).
      const Variable &var = *defined(a->slot);
      out.push_back(var.value);
      nameArgument(out, first, symbols_.name(a->slot).c_str(), var.global ? QX_SCOPE_GLOBAL : QX_SCOPE_LOCAL);
    } else {
      out.push_back(eval(*a));
      nameArgument(out, first, "", QX_SCOPE_LOCAL);
    }
  }
}

// Evaluates the subscripts of an index on base; 'end' inside them refers
// to base.
Subscripts Evaluator::subscripts(const Expr &index, const Value &base) {
  Subscripts subs(index.args.size());
  const int count = static_cast<int>(index.args.size());
  for (int k = 0; k < count; ++k) {
    const Expr &a = *index.args[static_cast<size_t>(k)];
    if (a.kind == ExprKind::Colon) {
      subs[static_cast<size_t>(k)].colon = true;
      continue;
    }
    ends_.push_back({&base, k, count});
    try {
      subs[static_cast<size_t>(k)].value = eval(a);
    } catch (...) {
      ends_.pop_back();
      throw;
    }
    ends_.pop_back();
  }
  return subs;
}

Value Evaluator::literal(const Expr &e) const {
  if (e.kind == ExprKind::String) return makeString(e.text);
  if (!e.imaginary) return Value::number(e.number);
  Value v = Value::adopt(qxCreateDoubleMatrix(1, 1, 1));
  qxGetPi(v.array())[0] = e.number;
  v.refresh();
  return v;
}

// a:b and a:b:c are built by the library's _colonobj. Its record serves
// the no-input and char codes only (it converts any other class itself),
// so the range reaches it through a copy of the record whose empty slots
// hold that same handler; the call still goes through the host's dispatch.
Value Evaluator::range(const Expr &e) {
  if (!rangeEntry_) {
    const BuiltinEntry *colon = zqhost::findBuiltin("_colonobj");
    if (colon == nullptr) zqhost::raise("Undefined function or variable '_colonobj'.");
    rangeEntry_ = std::make_unique<BuiltinEntry>(*colon);
    for (BuiltinFcn &slot : rangeEntry_->slots) {
      if (slot == nullptr) slot = colon->slots[QX_CODE_NO_INPUT];
    }
    rangeEntry_->slots[0] = nullptr;
  }
  Values args;
  for (const ExprPtr &a : e.args) args.push_back(eval(*a));
  // A zero step makes an empty range: nothing to check.
  if (args.size() == 3 && args[0].isScalar() && args[1].isScalar() && args[2].isScalar() && args[1].number() != 0) {
    checkElementBudget((args[2].number() - args[0].number()) / args[1].number());
  } else if (args.size() == 2 && args[0].isScalar() && args[1].isScalar()) {
    checkElementBudget(args[1].number() - args[0].number());
  }
  qxArray *prhs[3] = {};
  for (size_t k = 0; k < args.size(); ++k) prhs[k] = args[k].array();
  qxArray *plhs[1] = {nullptr};
  zqhost::callBuiltin(*rangeEntry_, 1, plhs, static_cast<int>(args.size()), prhs);
  if (plhs[0] == nullptr) zqhost::raise("The range produced no value.");
  return Value::adopt(plhs[0]);
}

Value Evaluator::matrix(const Expr &e) {
  Values rows;
  for (const auto &row : e.rows) {
    Values parts;
    evalArgs(row, parts);
    rows.push_back(concatenate(parts, 1));
  }
  if (rows.empty()) return Value();
  return concatenate(rows, 0);
}

Value Evaluator::cellLiteral(const Expr &e) {
  Values rows;
  for (const auto &row : e.rows) {
    Values parts;
    evalArgs(row, parts);
    Values cells;
    for (Value &p : parts) {
      // Every element is wrapped, cells too: {1, {2}} nests.
      Value c = Value::adopt(qxCreateCellMatrix(1, 1));
      qxSetCell(c.array(), 0, p.release());
      cells.push_back(std::move(c));
    }
    if (!cells.empty()) rows.push_back(concatenate(cells, 1));
  }
  if (rows.empty()) return Value::adopt(qxCreateCellMatrix(0, 0));
  return concatenate(rows, 0);
}

// @name, or @(a, b) EXPR with the variables EXPR reads captured now.
Value Evaluator::handle(const Expr &e) {
  if (e.anonymous) return handleValue(capture(e.anonymous));
  const int dims[2] = {1, 1};
  Value v = Value::adopt(qxCreateNumericArray(2, dims, QX_CLASS_FUNCTION, 0));
  qxFunctionHandleFromString(qxGetData(v.array()), e.text.c_str());
  return v;
}

// A chain of binary operators, such as a sum of many terms, is a tree that
// leans left as deep as the chain is long: its left spine is walked with a
// loop, so that long flat expressions do not exhaust the stack (the spine
// of a short chain is kept on the stack, so that k * 2 allocates nothing).
// && and || evaluate their right operand only when the left one does not
// decide.
Value Evaluator::binaryChain(const Expr &e) {
  constexpr size_t kShortChain = 16;
  const Expr *shortSpine[kShortChain];
  std::vector<const Expr *> longSpine;
  size_t depth = 0;
  const Expr *left = &e;
  for (; left->kind == ExprKind::Binary; left = left->args[0].get(), ++depth) {
    if (depth < kShortChain) {
      shortSpine[depth] = left;
    } else {
      if (longSpine.empty()) longSpine.assign(shortSpine, shortSpine + kShortChain);
      longSpine.push_back(left);
    }
  }
  const Expr *const *spine = depth <= kShortChain ? shortSpine : longSpine.data();
  Value value = eval(*left);
  for (size_t k = depth; k-- > 0;) {
    const Expr &node = *spine[k];
    if (node.op == Op::AndAnd || node.op == Op::OrOr) {
      const bool truth = isTrue(value);
      const bool decided = node.op == Op::AndAnd ? !truth : truth;
      value = Value::boolean(decided ? truth : isTrue(eval(*node.args[1])));
    } else {
      value = binaryOp(node.op, value, eval(*node.args[1]));
    }
  }
  return value;
}

// ---- Calls -------------------------------------------------------------------------------

Values Evaluator::callExpr(const Expr &callee, const std::vector<ExprPtr> *args, int nargout) {
  Values values;
  if (args != nullptr) {
    if (std::any_of(args->begin(), args->end(), [](const ExprPtr &a) { return a->kind == ExprKind::Colon; })) {
      values.reserve(args->size());
      for (const ExprPtr &a : *args) values.push_back(eval(*a));
    } else {
      evalArgs(*args, values);
    }
  }
  return callResolved(callee, nargout, values);
}

// Finds the function of a name once and keeps it in the expression.
// Inlined into its callers: an error raised by the function then unwinds
// one frame fewer on its way to a try statement.
[[gnu::always_inline]] inline Values Evaluator::callResolved(const Expr &callee, int nargout, Values &args) {
  if (callee.builtin == nullptr && callee.host == nullptr) {
    callee.builtin = zqhost::findBuiltin(callee.text);
    if (callee.builtin == nullptr) callee.host = findHostFunction(callee.text);
    if (callee.builtin == nullptr && callee.host == nullptr) {
      zqhost::raise("Undefined function or variable '" + callee.text + "'.");
    }
  }
  if (callee.host != nullptr) return callee.host->fn(*this, nargout, args);
  OutputSlots plhs(static_cast<size_t>(std::max(nargout, 1)));
  ArrayList prhs(args.size());
  for (size_t k = 0; k < args.size(); ++k) prhs.data()[k] = args[k].array();
  {
    const zqhost::CallFrame frame;
    zqhost::callHandler(*callee.builtin, nargout, plhs.data(), static_cast<int>(prhs.size()), prhs.data());
  }
  Values out;
  for (size_t k = 0; k < plhs.size() && plhs.data()[k] != nullptr; ++k) {
    qxArray *taken = plhs.data()[k];
    plhs.data()[k] = nullptr;
    out.push_back(Value::adopt(taken));
  }
  return out;
}

Values Evaluator::call(const std::string &name, int nargout, Values &args) {
  Expr callee;
  callee.kind = ExprKind::Ident;
  callee.text = name;
  return callResolved(callee, nargout, args);
}

bool Evaluator::isFunction(std::string_view name) const {
  return zqhost::findBuiltin(name) != nullptr || findHostFunction(name) != nullptr;
}

// ---- Function handles -----------------------------------------------------------------

std::shared_ptr<const Closure> Evaluator::capture(std::shared_ptr<const AnonymousBody> body) {
  std::vector<Closure::Captured> captured(body->names.size());
  for (size_t k = 0; k < captured.size(); ++k) {
    if (const Variable *v = defined(body->names[k])) captured[k] = {true, v->value};
  }
  return std::make_shared<const Closure>(std::move(body), std::move(captured));
}

zqhost::AnonymousFunctionPtr Evaluator::anonymousFromText(std::string_view text) {
  std::shared_ptr<const AnonymousBody> body;
  try {
    Parser p(text, symbols_, false);
    if (p.atEnd()) return nullptr;
    const StmtPtr s = p.next();
    if (!p.atEnd() || s->kind != StmtKind::Expression || !s->expr->anonymous) return nullptr;
    body = s->expr->anonymous;
  } catch (const ParseError &) {
    return nullptr;
  }
  return capture(std::move(body));
}

// While an anonymous function's body runs, the slots of its names hold
// what the body may see: the parameters the arguments, the captured names
// their values, and every other name of the body nothing, so that it can
// only name a function. The variables of the workspace are kept aside and
// put back however the body ends.
class Evaluator::Binding {
 public:
  Binding(Evaluator &ev, const Closure &fn, std::span<Value> args) : ev_(ev), start_(ev.shadowed_.size()) {
    // Functions that call each other through their arguments could recurse
    // until the stack ran out.
    constexpr int kMaxDepth = 500;
    if (ev.callDepth_ >= kMaxDepth) zqhost::raise("Maximum recursion limit of 500 reached.");
    ++ev.callDepth_;
    const AnonymousBody &body = fn.body();
    try {
      for (size_t k = 0; k < body.parameters.size(); ++k) {
        Variable v;
        v.defined = k < args.size();
        if (v.defined) v.value = std::move(args[k]);
        bind(body.parameters[k], std::move(v));
      }
      const std::span<const Closure::Captured> captured = fn.captured();
      for (size_t k = 0; k < body.names.size(); ++k) {
        Variable v;
        v.defined = captured[k].defined;
        if (v.defined) v.value = captured[k].value;
        bind(body.names[k], std::move(v));
      }
    } catch (...) {
      restore();
      --ev.callDepth_;
      throw;
    }
  }
  ~Binding() {
    restore();
    --ev_.callDepth_;
  }
  Binding(const Binding &) = delete;
  Binding &operator=(const Binding &) = delete;

 private:
  void bind(int slot, Variable v) {
    Variable &var = ev_.slot(slot);
    ev_.shadowed_.emplace_back(slot, std::move(var));
    var = std::move(v);
  }
  void restore() {
    while (ev_.shadowed_.size() > start_) {
      auto &[slot, variable] = ev_.shadowed_.back();
      ev_.vars_[static_cast<size_t>(slot)] = std::move(variable);
      ev_.shadowed_.pop_back();
    }
  }

  Evaluator &ev_;
  size_t start_;
};

namespace {

// Checks a call of fn with nargs arguments before its body runs.
void checkAnonymousCall(const Closure &fn, const Symbols &symbols, size_t nargs) {
  if (fn.body().symbols != &symbols) zqhost::raise("This function handle was made in another session.");
  if (nargs > fn.body().parameters.size()) qxErrMsg(QX_MSG_TOO_MANY_INPUTS);
}

}  // namespace

Values Evaluator::callClosure(const Closure &fn, int nargout, std::span<Value> args) {
  checkAnonymousCall(fn, symbols_, args.size());
  const Binding binding(*this, fn, args);
  return evalMulti(*fn.body().body, nargout);
}

Values Evaluator::callHandle(const Value &handle, int nargout, Values &args) {
  const Value keep = handle;  // the function lives while it runs, whatever it does to its variable
  if (const Closure *fn = closureOf(keep)) return callClosure(*fn, nargout, args);
  return call(qxFunctionHandleToString(qxGetData(keep.array())), nargout, args);
}

// f(a, b) for a variable f that holds an anonymous function, when each
// argument gives one value: the body's value, with the arguments on the
// stack (a loop calls f so). False when the general path must do it.
bool Evaluator::callAnonymousValue(const Expr &e, Value &result) {
  constexpr size_t kInlineArgs = 4;
  if (e.brace || e.base->kind != ExprKind::Ident || e.args.size() > kInlineArgs) return false;
  const Variable *var = defined(e.base->slot);
  if (var == nullptr || var->value.isScalar()) return false;
  const Closure *fn = closureOf(var->value);
  if (fn == nullptr) return false;
  for (const ExprPtr &a : e.args) {
    if (a->kind == ExprKind::Index || a->kind == ExprKind::Field || a->kind == ExprKind::DynField) return false;
  }
  const Value keep = var->value;
  Value args[kInlineArgs];
  for (size_t k = 0; k < e.args.size(); ++k) args[k] = eval(*e.args[k]);
  checkAnonymousCall(*fn, symbols_, e.args.size());
  const Binding binding(*this, *fn, std::span<Value>(args, e.args.size()));
  result = eval(*fn->body().body);
  return true;
}

}  // namespace zq::shell
