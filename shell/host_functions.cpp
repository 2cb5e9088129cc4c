// The table of host functions, and the query and session functions.
#include "shell/host_functions.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "host/ut.h"
#include "shell/indexing.h"
#include "zqhost/host.h"
#include "zqhost/path.h"

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
    {"help", host::help},
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
    {"whos", host::whos},
    {"zeros", host::zeros},
    {"zqobject", host::zqobject},
    {"zqopaque", host::zqopaque},
};

}  // namespace

std::span<const HostFunction> hostFunctions() { return kHostFunctions; }

namespace {

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

namespace {

// The bytes a value's data occupies in the host: its elements times their
// size (twice for complex values); for a sparse matrix its values, row
// indices and column starts; for cells, structures and objects what they
// hold.
double bytesOf(const qxArray *a) {
  if (a == nullptr) return 0;
  const int c = qxGetClassID(a);
  const int n = qxGetNumberOfElements(a);
  double total = 0;
  if (c == QX_CLASS_CELL) {
    for (int k = 0; k < n; ++k) total += bytesOf(qxGetCell(a, k));
    return total;
  }
  if (c == QX_CLASS_STRUCT || c == QX_CLASS_OBJECT) {
    const int fields = qxGetNumberOfFields(a);
    for (int k = 0; k < n; ++k) {
      for (int f = 0; f < fields; ++f) total += bytesOf(qxGetFieldByNumber(a, k, f));
    }
    return total;
  }
  const double parts = qxIsComplex(a) ? 2 : 1;
  const double element = static_cast<double>(qxGetElementSize(a));
  if (c == QX_CLASS_SPARSE) {
    const double stored = qxGetNzmax(a);
    return stored * (element * parts + sizeof(int)) + (qxGetN(a) + 1.0) * sizeof(int);
  }
  return n * element * parts;
}

std::string sizeText(const Value &v) {
  std::string text;
  for (const int d : dimsOf(v)) text += (text.empty() ? "" : "x") + std::to_string(d);
  return text;
}

// What exist finds for each kind it can be asked about.
enum class Kind { Variable = 1, File = 2, Function = 5, Directory = 7 };

// A file or directory as fopen would find it for reading: as given, then
// in the directories of the search path.
int fileKind(const std::string &name) {
  if (name.empty()) return 0;
  std::vector<std::string> candidates = {name};
  if (name.front() != '/') {
    for (const std::string &dir : zqhost::searchPathDirectories()) candidates.push_back(dir + "/" + name);
  }
  for (const std::string &path : candidates) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return static_cast<int>(S_ISDIR(st.st_mode) ? Kind::Directory : Kind::File);
  }
  return 0;
}

}  // namespace

// exist(name): 1 variable, 5 builtin or host function, 2 file, 7 directory,
// 0 nothing; exist(name, kind) asks about one kind only.
Values exist(Evaluator &ev, int nargout, Values &args) {
  checkCount(args, 1, 2, nargout, 1);
  const std::string name = nameArgument(args[0]);
  const std::string kind = args.size() == 2 ? textOf(args[1], "The kind") : std::string();
  if (!kind.empty() && kind != "var" && kind != "builtin" && kind != "file" && kind != "dir")
    zqhost::raise("The kind must be 'var', 'builtin', 'file' or 'dir'.");
  const bool any = kind.empty();
  if ((any || kind == "var") && ev.variable(name) != nullptr) return {scalarResult(static_cast<int>(Kind::Variable))};
  if ((any || kind == "builtin") && ev.isFunction(name)) return {scalarResult(static_cast<int>(Kind::Function))};
  if (any || kind == "file" || kind == "dir") {
    const int found = fileKind(name);
    if (kind != "dir" || found == static_cast<int>(Kind::Directory)) return {scalarResult(found)};
  }
  return {scalarResult(0)};
}

// whos: the variables (or the ones named) with their size, the bytes of
// their data and their class, and whether they are global, complex or
// sparse.
Values whos(Evaluator &ev, int nargout, Values &args) {
  checkCount(args, 0, 1 << 20, nargout, 0);
  std::vector<std::string> names;
  for (const Value &a : args) names.push_back(nameArgument(a));
  if (names.empty()) names = ev.variableNames();
  std::sort(names.begin(), names.end());
  struct Row {
    std::string name, size, bytes, className, attributes;
  };
  std::vector<Row> rows;
  size_t nameWidth = 4, sizeWidth = 4, bytesWidth = 5;
  for (const std::string &name : names) {
    const Value *v = ev.variable(name);
    if (v == nullptr) continue;
    const qxArray *a = v->array();
    std::string attributes = ev.isGlobal(name) ? "global" : "";
    if (qxIsComplex(a)) attributes += attributes.empty() ? "complex" : ", complex";
    char bytes[32];
    std::snprintf(bytes, sizeof bytes, "%.0f", bytesOf(a));
    rows.push_back({name, sizeText(*v), bytes, className(*v), attributes});
    nameWidth = std::max(nameWidth, name.size());
    sizeWidth = std::max(sizeWidth, rows.back().size.size());
    bytesWidth = std::max(bytesWidth, rows.back().bytes.size());
  }
  if (rows.empty()) return {};
  auto line = [&](const Row &r) {
    std::string text = "  " + r.name + std::string(nameWidth + 2 - r.name.size(), ' ') + r.size +
                       std::string(sizeWidth + 2 - r.size.size(), ' ') + std::string(bytesWidth - r.bytes.size(), ' ') +
                       r.bytes + "  " + r.className;
    if (!r.attributes.empty())
      text += std::string(r.className.size() < 8 ? 8 - r.className.size() : 0, ' ') + "  " + r.attributes;
    utPrintf("%s\n", text.c_str());
  };
  line({"Name", "Size", "Bytes", "Class", ""});
  utPrintf("\n");
  for (const Row &r : rows) line(r);
  utPrintf("\n");
  return {};
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
