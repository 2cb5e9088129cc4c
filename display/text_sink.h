// Where printed text goes: the command window, or the end of a string. The
// number formatting is written once against this sink, so the matrix
// printer and the one-value texts of the cell and structure printers share
// every rule.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "host/ut.h"

namespace zq::display {

class TextSink {
 public:
  // The command window (utPrintf).
  TextSink() = default;
  // Appends to out, which must outlive the sink.
  explicit TextSink(std::string *out) : out_(out) {}

  // printf-style output; every call passes at least one argument, so the
  // format is never user text.
  template <typename... Args>
  void print(const char *format, Args... args) {
    if (out_ == nullptr) {
      utPrintf(format, args...);
    } else {
      append(format, args...);
    }
  }

 private:
  // Formats into a small buffer first; a longer text (a huge fraction, say)
  // is formatted again straight into the string at its exact size.
  template <typename... Args>
  void append(const char *format, Args... args) {
    char small[96];
    const int n = std::snprintf(small, sizeof small, format, args...);
    if (n <= 0) return;
    const auto length = static_cast<std::size_t>(n);
    if (length < sizeof small) {
      out_->append(small, length);
      return;
    }
    const std::size_t old = out_->size();
    out_->resize(old + length + 1);
    std::snprintf(out_->data() + old, length + 1, format, args...);
    out_->resize(old + length);
  }

  std::string *out_ = nullptr;
};

}  // namespace zq::display
