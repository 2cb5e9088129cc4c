// Anonymous functions as the shell makes them: the parsed body shared with
// the statement that wrote it, and the values of the variables it reads,
// captured when the handle was made.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "shell/ast.h"
#include "shell/value.h"
#include "zqhost/host.h"

namespace zq::shell {

class Closure final : public zqhost::AnonymousFunction {
 public:
  // One name of the body: a variable's value, or nothing when the name was
  // no variable (it then names a function).
  struct Captured {
    bool defined = false;
    Value value;
  };

  // captured holds one entry per body.names.
  Closure(std::shared_ptr<const AnonymousBody> body, std::vector<Captured> captured);

  const std::string &text() const override { return body_->text; }
  qxArray *workspace() const override;

  const AnonymousBody &body() const { return *body_; }
  std::span<const Captured> captured() const { return captured_; }

 private:
  std::shared_ptr<const AnonymousBody> body_;
  std::vector<Captured> captured_;
};

// The closure a 1-by-1 handle value holds, or null (a named function, or
// not a handle).
const Closure *closureOf(const Value &handle);

// A new 1-by-1 handle value holding fn.
Value handleValue(std::shared_ptr<const Closure> fn);

}  // namespace zq::shell
