// The format text and the data arguments of the formatted-text operations.
#include "textio/arguments.h"

#include "common/arguments.h"
#include "common/outputs.h"
#include "host/zqservices.h"

namespace zq::textio {

PreparedFormat prepareFormat(const qxArray *format, bool translate) {
  const common::HostText raw = common::textArgument(format, QX_MSG_FORMAT_NOT_STRING);
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
    copy_.reset(common::created(qxCreateConvertedCopy(argument, QX_CLASS_DOUBLE)));
    argument = copy_.get();
  }
  source_.values = qxGetPr(argument);
}

}  // namespace zq::textio
