// Host functions that make values of user classes at the prompt: objects
// (a structure under a class name, optionally reporting a size of its own)
// and opaque values (a class name and dimensions, nothing else).
#include <string>

#include "shell/arrays.h"
#include "shell/host_functions.h"
#include "zqhost/host.h"

namespace zq::shell::host {
namespace {

// A class name is a name: a letter, then letters, digits and underscores.
std::string classNameArgument(const Value &v) {
  const std::string name = textOf(v, "The class name");
  if (!zqhost::isName(name)) zqhost::raise("Invalid class name '" + name + "'.");
  return name;
}

}  // namespace

// zqobject(CLASSNAME, S) and zqobject(CLASSNAME, S, SIZE): the fields and
// dimensions of S under the class name; SIZE is what size() and the
// printers report for the object.
Values zqobject(Evaluator &, int nargout, Values &args) {
  checkCount(args, 2, 3, nargout, 1);
  const std::string name = classNameArgument(args[0]);
  if (classOf(args[1]) != QX_CLASS_STRUCT) zqhost::raise("The fields of an object must be given as a structure.");
  std::vector<double> size;
  if (args.size() == 3) {
    if (!isNumericOrChar(args[2]) || classOf(args[2]) == QX_CLASS_CHAR) {
      zqhost::raise("The size of an object must be a numeric vector.");
    }
    size = realParts(args[2]);
  }
  qxArray *fields = created(qxDuplicateArray(args[1].array()));
  Value object = Value::adopt(qxCreateObject(name.c_str(), fields));
  if (args.size() == 3) zqhost::setReportedSize(object.array(), std::move(size));
  return {object};
}

// zqopaque(CLASSNAME, D1, D2, ...): 1-by-1 without dimensions.
Values zqopaque(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1 << 20, nargout, 1);
  const std::string name = classNameArgument(args[0]);
  std::vector<int> dims;
  for (size_t k = 1; k < args.size(); ++k) dims.push_back(sizeArgument(args[k], "A dimension"));
  if (dims.empty()) dims = {1, 1};
  if (dims.size() == 1) dims.push_back(1);
  checkedCount(dims);
  return {Value::adopt(qxCreateOpaque(name.c_str(), static_cast<int>(dims.size()), dims.data()))};
}

}  // namespace zq::shell::host
