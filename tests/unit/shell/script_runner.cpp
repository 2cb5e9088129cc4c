#include "shell/script_runner.h"

#include "support/host_fixture.h"

namespace zq::shell::test {

std::unique_ptr<Session> runQuietly(const char *script, bool keepGoing) {
  auto session = std::make_unique<Session>();
  zqtest::StdoutCapture quiet;
  session->run(script, keepGoing);
  return session;
}

std::string errorOf(const char *script) {
  const auto session = runQuietly(script);
  return session->anyError() ? qxGetLastErrMsg() : "(no error)";
}

XValue valueOfX(const char *script) {
  const auto session = runQuietly(script);
  XValue out;
  const Value *x = session->evaluator().variable("x");
  if (session->anyError())
    out.error = qxGetLastErrMsg();
  else if (x == nullptr)
    out.error = "x is not set";
  if (!out.error.empty()) return out;
  out.className = className(*x);
  out.dims = dimsOf(*x);
  out.re = realParts(*x);
  out.im = imagParts(*x);
  return out;
}

}  // namespace zq::shell::test
