// Arguments of the formatted-text operations: the format text and the data
// arguments as element sources.
#pragma once

#include <string>

#include "common/owned.h"
#include "host/qx.h"
#include "textio/output.h"

namespace zq::textio {

// The translated format of a call. escapesValid is false when an escape
// sequence was invalid (the format then ends where it stood).
struct PreparedFormat {
  std::string text;
  bool escapesValid = true;
};

// Takes the text of a char format argument ("Format must be a string."
// when it is not char), passes it through the host's message translation when translate is
// set, and translates its escape sequences.
PreparedFormat prepareFormat(const qxArray *format, bool translate);

// A data argument viewed as an element source: double and char data are
// read in place, other numeric classes through a double copy.
class DataArgument {
 public:
  explicit DataArgument(const qxArray *argument);
  ElementSource &source() { return source_; }

 private:
  common::OwnedArray copy_;
  ElementSource source_;
};

}  // namespace zq::textio
