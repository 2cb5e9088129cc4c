// Cost of one statement in a zq loop, with and without a builtin call,
// against plain C++ baselines:
//   plain      for (k...) x = k * 2                    (C++)
//   shell      for k = 1:N, x = k * 2; end             (zq)
//   direct     one call of a tiny builtin through the host's dispatch (C++)
//   shell+call for k = 1:N, x = bench_twice(k); end    (zq)
//   inline     for k = 1:N, y = k * 2 + 1; end         (zq)
//   anonymous  f = @(x) x * 2 + 1;
//              for k = 1:N, y = f(k); end              (zq)
// The builtin bench_twice is registered here so that the measurement does
// not depend on which library builtins exist yet. After the benchmarks a
// summary prints nanoseconds per iteration and the ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_support.h"
#include "host/qx.h"
#include "shell/session.h"
#include "zqhost/host.h"

namespace {

constexpr int kIterations = 1000000;

void twiceHandler(int, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(1, 1, nrhs, 1, 1);
  plhs[0] = qxCreateScalarDouble(2 * qxGetScalar(prhs[0]));
}

const BuiltinEntry &twiceEntry() {
  static const BuiltinEntry entry = [] {
    BuiltinEntry e{"bench_twice", {}};
    e.slots[QX_CODE_DOUBLE] = twiceHandler;
    qxGetRegisterInternalFcnsFcn()(1, &e);
    return e;
  }();
  return entry;
}

zq::shell::Session &session() {
  static zq::shell::Session s;
  twiceEntry();
  return s;
}

std::string loop(const char *body, int n) { return "for k = 1:" + std::to_string(n) + ", " + body + "; end"; }

// The same expression written inline and called as an anonymous function.
std::string inlineLoop(int n) { return loop("y = k * 2 + 1", n); }
std::string anonymousLoop(int n) { return "f = @(x) x * 2 + 1; " + loop("y = f(k)", n); }

double plainLoop(int n) {
  double x = 0;
  for (int k = 1; k <= n; ++k) {
    x = k * 2.0;
    benchmark::DoNotOptimize(x);
  }
  return x;
}

void directCalls(int n) {
  const BuiltinEntry &e = *zqhost::findBuiltin("bench_twice");
  for (int k = 1; k <= n; ++k) {
    qxArray *in = qxCreateScalarDouble(k);
    qxArray *plhs[1] = {nullptr};
    zqhost::callBuiltin(e, 1, plhs, 1, &in);
    benchmark::DoNotOptimize(plhs[0]);
    qxDestroyArray(plhs[0]);
    qxDestroyArray(in);
  }
}

void runShell(const std::string &text) {
  if (session().run(text, false) != zq::shell::Session::Outcome::Finished || session().anyError()) {
    std::fprintf(stderr, "the benchmark script failed: %s\n", qxGetLastErrMsg());
    std::abort();
  }
}

void BM_PlainLoop(benchmark::State &state) {
  for (auto _ : state) benchmark::DoNotOptimize(plainLoop(kIterations));
  state.SetItemsProcessed(state.iterations() * kIterations);
}

void BM_ShellLoop(benchmark::State &state) {
  const std::string text = loop("x = k * 2", kIterations);
  for (auto _ : state) runShell(text);
  state.SetItemsProcessed(state.iterations() * kIterations);
}

void BM_DirectBuiltinCall(benchmark::State &state) {
  session();
  for (auto _ : state) directCalls(kIterations);
  state.SetItemsProcessed(state.iterations() * kIterations);
}

void BM_ShellLoopWithBuiltin(benchmark::State &state) {
  const std::string text = loop("x = bench_twice(k)", kIterations);
  for (auto _ : state) runShell(text);
  state.SetItemsProcessed(state.iterations() * kIterations);
}

void BM_ShellLoopInline(benchmark::State &state) {
  const std::string text = inlineLoop(kIterations);
  for (auto _ : state) runShell(text);
  state.SetItemsProcessed(state.iterations() * kIterations);
}

void BM_ShellLoopAnonymous(benchmark::State &state) {
  const std::string text = anonymousLoop(kIterations);
  for (auto _ : state) runShell(text);
  state.SetItemsProcessed(state.iterations() * kIterations);
}

BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShellLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectBuiltinCall)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShellLoopWithBuiltin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShellLoopInline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShellLoopAnonymous)->Unit(benchmark::kMillisecond);

// Nanoseconds per loop iteration of each run, from the reporter's clock.
void summary(const zqbench::RatioReporter &reporter) {
  const auto ns = [&](const char *name) { return reporter.seconds(name) * 1e9 / kIterations; };
  const double plain = ns("BM_PlainLoop"), shell = ns("BM_ShellLoop");
  const double direct = ns("BM_DirectBuiltinCall"), withCall = ns("BM_ShellLoopWithBuiltin");
  std::printf("ns per iteration: plain C++ %.2f, zq loop %.2f, direct builtin call %.2f, zq loop with the call %.2f\n",
              plain, shell, direct, withCall);
  reporter.printRatio("shell_loop", "BM_ShellLoop", "BM_PlainLoop");
  if (plain + direct > 0) std::printf("ratio shell_loop_call: %.2f\n", withCall / (plain + direct));
  std::printf("shell overhead of a builtin call beyond the call itself: %.1f ns\n", withCall - shell - direct);
  const double inlined = ns("BM_ShellLoopInline"), anonymous = ns("BM_ShellLoopAnonymous");
  std::printf("ns per iteration: y = k * 2 + 1 inline %.2f, y = f(k) with f = @(x) x * 2 + 1 %.2f\n", inlined,
              anonymous);
  reporter.printRatio("shell_loop_anonymous", "BM_ShellLoopAnonymous", "BM_ShellLoopInline");
}

}  // namespace

int main(int argc, char **argv) {
  zqbench::RatioReporter reporter;
  zqbench::runBenchmarks(argc, argv, reporter);
  benchmark::Shutdown();
  summary(reporter);
  return 0;
}
