// The format text and the data arguments of the formatted-text operations.
#include "textio/arguments.h"

#include "fileio/arguments.h"
#include "host/zqservices.h"

namespace zq::textio {

PreparedFormat prepareFormat(const qxArray *format, bool translate) {
  const fileio::HostText raw = fileio::textArgument(format, 49);
  PreparedFormat prepared;
  prepared.text = translate ? svXlate(raw.get()) : raw.get();
  prepared.escapesValid = translateEscapes(prepared.text);
  return prepared;
}

DataArgument::DataArgument(const qxArray *argument) {
  source_.count = qxGetNumberOfElements(argument);
  if (qxIsChar(argument)) {
    source_.chars = qxGetChars(argument);
    source_.textual = true;
    return;
  }
  if (qxGetClassID(argument) != QX_CLASS_DOUBLE) {
    copy_.reset(qxCreateConvertedCopy(argument, QX_CLASS_DOUBLE));
    if (!copy_) qxErrMsg(18);
    argument = copy_.get();
  }
  source_.values = qxGetPr(argument);
}

}  // namespace zq::textio
