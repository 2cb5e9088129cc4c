// The table of host functions, and the query and session functions.
#include "shell/host_functions.h"

#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "host/ut.h"
#include "shell/indexing.h"
#include "zqhost/host.h"

namespace zq::shell {
namespace {

constexpr HostFunction kHostFunctions[] = {
    {"Inf", host::inf},
    {"NaN", host::nan},
    {"abs", host::abs},
    {"all", host::all},
    {"any", host::any},
    {"cat", host::cat},
    {"ceil", host::ceil},
    {"cell", host::cell},
    {"class", host::classFn},
    {"clear", host::clear},
    {"complex", host::complex},
    {"eps", host::eps},
    {"error", host::error},
    {"exist", host::exist},
    {"exit", host::exit},
    {"eye", host::eye},
    {"false", host::falseFn},
    {"feval", host::feval},
    {"fieldnames", host::fieldnames},
    {"fix", host::fix},
    {"floor", host::floor},
    {"full", host::full},
    {"global", host::global},
    {"i", host::imagUnit},
    {"imag", host::imag},
    {"inf", host::inf},
    {"isempty", host::isempty},
    {"isequal", host::isequal},
    {"isfield", host::isfield},
    {"j", host::imagUnit},
    {"length", host::length},
    {"logical", host::logical},
    {"mod", host::mod},
    {"nan", host::nan},
    {"ndims", host::ndims},
    {"numel", host::numel},
    {"ones", host::ones},
    {"pi", host::pi},
    {"quit", host::exit},
    {"real", host::real},
    {"reshape", host::reshape},
    {"round", host::round},
    {"size", host::size},
    {"sparse", host::sparse},
    {"struct", host::structFn},
    {"sum", host::sum},
    {"true", host::trueFn},
    {"who", host::who},
    {"zeros", host::zeros},
    {"zqobject", host::zqobject},
    {"zqopaque", host::zqopaque},
};

Value scalarResult(double d) { return Value::number(d); }

std::string nameArgument(const Value &v) { return textOf(v, "The name"); }

}  // namespace

const HostFunction *findHostFunction(std::string_view name) {
  for (const HostFunction &f : kHostFunctions) {
    if (name == f.name) return &f;
  }
  return nullptr;
}

namespace host {

void checkCount(const Values &args, int minIn, int maxIn, int nargout, int maxOut) {
  if (static_cast<int>(args.size()) > maxIn) qxErrMsg(1);
  if (static_cast<int>(args.size()) < minIn) qxErrMsg(2);
  if (nargout > maxOut) qxErrMsg(3);
}

// size(x): the dimensions as a row; size(x, d): one of them; with several
// outputs, one dimension each and the product of the rest in the last.
Values size(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 2, nargout, 64);
  std::vector<double> dims;
  for (int d : dimsOf(args[0])) dims.push_back(d);
  // An object made with a size reports that size.
  if (classOf(args[0]) == QX_CLASS_OBJECT) {
    if (const std::vector<double> *reported = zqhost::reportedSize(args[0].array())) dims = *reported;
  }
  if (args.size() == 2) {
    const int d = sizeArgument(args[1], "The dimension");
    if (d < 1) zqhost::raise("The dimension must be a positive integer.");
    return {scalarResult(static_cast<size_t>(d) <= dims.size() ? dims[static_cast<size_t>(d) - 1] : 1)};
  }
  if (nargout <= 1) return {makeDoubles({1, static_cast<int>(dims.size())}, dims)};
  Values out;
  for (int k = 0; k < nargout; ++k) {
    double d = static_cast<size_t>(k) < dims.size() ? dims[static_cast<size_t>(k)] : 1;
    if (k == nargout - 1) {
      for (size_t r = static_cast<size_t>(k) + 1; r < dims.size(); ++r) d *= dims[r];
    }
    out.push_back(scalarResult(d));
  }
  return out;
}

Values numel(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1, nargout, 1);
  return {scalarResult(zq::shell::numel(args[0]))};
}

Values ndims(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1, nargout, 1);
  return {scalarResult(static_cast<double>(dimsOf(args[0]).size()))};
}

Values length(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1, nargout, 1);
  const std::vector<int> dims = dimsOf(args[0]);
  const int longest = isEmpty(args[0]) ? 0 : *std::max_element(dims.begin(), dims.end());
  return {scalarResult(longest)};
}

Values classFn(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1, nargout, 1);
  return {makeString(className(args[0]))};
}

Values isempty(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1, nargout, 1);
  return {Value::boolean(isEmpty(args[0]))};
}

Values fieldnames(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1, nargout, 1);
  const int c = classOf(args[0]);
  if (c != QX_CLASS_STRUCT && c != QX_CLASS_OBJECT)
    zqhost::raise("Invalid input argument of type '" + std::string(className(args[0])) + "'.");
  const qxArray *s = args[0].array();
  const int n = qxGetNumberOfFields(s);
  Value out = Value::adopt(qxCreateCellMatrix(n, 1));
  for (int f = 0; f < n; ++f) qxSetCell(out.array(), f, qxCreateString(qxGetFieldNameByNumber(s, f)));
  return {out};
}

// isfield(s, name) or isfield(s, {names}).
Values isfield(Evaluator &, int nargout, Values &args) {
  checkCount(args, 2, 2, nargout, 1);
  const int c = classOf(args[0]);
  const bool isStruct = c == QX_CLASS_STRUCT || c == QX_CLASS_OBJECT;
  auto has = [&](const qxArray *name) {
    if (!isStruct || name == nullptr || !qxIsChar(name)) return false;
    char *text = qxArrayToString(name);
    const bool found = text != nullptr && qxGetFieldNumber(args[0].array(), text) >= 0;
    qxFree(text);
    return found;
  };
  if (classOf(args[1]) != QX_CLASS_CELL) return {Value::boolean(has(args[1].array()))};
  const qxArray *names = args[1].array();
  const std::vector<int> dims = dimsOf(args[1]);
  Value out = Value::adopt(qxCreateNumericArray(static_cast<int>(dims.size()), dims.data(), QX_CLASS_DOUBLE, 0));
  qxSetLogical(out.array(), 1);
  for (int k = 0, n = qxGetNumberOfElements(names); k < n; ++k) qxGetPr(out.array())[k] = has(qxGetCell(names, k));
  out.refresh();
  return {out};
}

// feval(f, args...): f is a name or a function handle.
Values feval(Evaluator &ev, int nargout, Values &args) {
  if (args.empty()) qxErrMsg(2);
  Values rest(args.begin() + 1, args.end());
  if (classOf(args[0]) == QX_CLASS_FUNCTION) {
    if (zq::shell::numel(args[0]) != 1) zqhost::raise("Function_handle argument must be scalar");
    return ev.callHandle(args[0], nargout, rest);
  }
  const std::string name = textOf(args[0], "The function name");
  if (const Value *v = ev.variable(name); v != nullptr && !ev.isFunction(name)) {
    zqhost::raise("'" + name + "' is a variable, not a function.");
  }
  return ev.call(name, nargout, rest);
}

// error(text) raises text as it is; error(format, values...) formats it
// with the library's sprintf first. An empty text raises nothing.
Values error(Evaluator &ev, int nargout, Values &args) {
  checkCount(args, 1, 64, nargout, 0);
  std::string text;
  if (args.size() == 1) {
    text = textOf(args[0], "The error message");
  } else {
    Values formatted = ev.call("sprintf", 1, args);
    if (!formatted.empty()) text = textOf(formatted.front(), "The error message");
  }
  if (text.empty()) return {};
  zqhost::raise(text);
}

// clear, clear all, clear NAME...
Values clear(Evaluator &ev, int nargout, Values &args) {
  checkCount(args, 0, 1 << 20, nargout, 0);
  if (args.empty()) {
    ev.clearAll();
    return {};
  }
  for (const Value &a : args) {
    const std::string name = nameArgument(a);
    if (name == "all" || name == "-all" || name == "variables")
      ev.clearAll();
    else
      ev.clearVariable(name);
  }
  return {};
}

// who: the names of the variables; with an output, a cell column of them.
Values who(Evaluator &ev, int nargout, Values &args) {
  checkCount(args, 0, 0, nargout, 1);
  const std::vector<std::string> names = ev.variableNames();
  if (nargout > 0) {
    Value out = Value::adopt(qxCreateCellMatrix(static_cast<int>(names.size()), 1));
    for (size_t k = 0; k < names.size(); ++k)
      qxSetCell(out.array(), static_cast<int>(k), qxCreateString(names[k].c_str()));
    return {out};
  }
  if (names.empty()) return {};
  utPrintf("Your variables are:\n\n");
  std::string line;
  for (const std::string &n : names) line += n + "  ";
  utPrintf("%s\n\n", line.c_str());
  return {};
}

Values global(Evaluator &ev, int nargout, Values &args) {
  checkCount(args, 0, 1 << 20, nargout, 0);
  for (const Value &a : args) ev.makeGlobal(nameArgument(a));
  return {};
}

// exist(name): 1 variable, 5 function, 2 file, 7 directory, 0 nothing.
Values exist(Evaluator &ev, int nargout, Values &args) {
  checkCount(args, 1, 2, nargout, 1);
  const std::string name = nameArgument(args[0]);
  if (ev.variable(name) != nullptr) return {scalarResult(1)};
  if (ev.isFunction(name)) return {scalarResult(5)};
  struct stat st {};
  if (!name.empty() && ::stat(name.c_str(), &st) == 0) return {scalarResult(S_ISDIR(st.st_mode) ? 7 : 2)};
  return {scalarResult(0)};
}

// exit and quit end the run; an optional argument is the exit status.
Values exit(Evaluator &, int nargout, Values &args) {
  checkCount(args, 0, 1, nargout, 0);
  ExitRequest request;
  if (!args.empty() && classOf(args[0]) != QX_CLASS_CHAR) request.status = sizeArgument(args[0], "The exit status");
  throw request;
}

}  // namespace host
}  // namespace zq::shell
