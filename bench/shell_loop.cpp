// Cost of one statement in a zq loop, with and without a builtin call,
// against plain C++ baselines:
//   plain      for (k...) x = k * 2                    (C++)
//   shell      for k = 1:N, x = k * 2; end             (zq)
//   direct     one call of a tiny builtin through the host's dispatch (C++)
//   shell+call for k = 1:N, x = bench_twice(k); end    (zq)
//   inline     for k = 1:N, y = k * 2 + 1; end         (zq)
//   anonymous  f = @(x) x * 2 + 1;
//              for k = 1:N, y = f(k); end              (zq)
//   shell+try  for k = 1:N, try, x = k * 2; catch, end; end   (zq, against shell)
//   raise      for k = 1:n, try, error('e'); catch, end; end (zq): the cost of
//              raising and catching an error, beyond the loop itself
// The builtin bench_twice is registered here so that the measurement does
// not depend on which library builtins exist yet. After the benchmarks a
// summary prints nanoseconds per iteration and the ratios.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

// The host keeps a pointer to the record: it must outlive the session.
const BuiltinEntry &twiceEntry() {
  static BuiltinEntry entry{"bench_twice", {}};
  static const bool registered = [] {
    entry.slots[QX_CODE_DOUBLE] = twiceHandler;
    qxGetRegisterInternalFcnsFcn()(1, &entry);
    return true;
  }();
  (void)registered;
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
// Raising costs microseconds, not nanoseconds: fewer iterations will do.
constexpr int kRaises = 100000;
constexpr const char *kGuarded = "try, x = k * 2; catch, end";
constexpr const char *kRaiseByError = "try, error('e'); catch, end";
constexpr const char *kRaiseByBuiltin = "try, feature('NoSuchFeature'); catch, end";

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

void BM_ShellLoopInTry(benchmark::State &state) {
  const std::string text = loop(kGuarded, kIterations);
  for (auto _ : state) runShell(text);
  state.SetItemsProcessed(state.iterations() * kIterations);
}

void BM_ShellLoopAnonymous(benchmark::State &state) {
  const std::string text = anonymousLoop(kIterations);
  for (auto _ : state) runShell(text);
  state.SetItemsProcessed(state.iterations() * kIterations);
}

void BM_RaiseAndCatch(benchmark::State &state) {
  const std::string text = loop(kRaiseByError, kRaises);
  for (auto _ : state) runShell(text);
  state.SetItemsProcessed(state.iterations() * kRaises);
}

BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShellLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectBuiltinCall)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShellLoopWithBuiltin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShellLoopInline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShellLoopAnonymous)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShellLoopInTry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RaiseAndCatch)->Unit(benchmark::kMillisecond);

// Nanoseconds of processor time per iteration of f (a loop of n
// iterations), the best of `runs` runs. Processor time rather than wall
// time: the machines this runs on are often shared.
template <typename F>
double nsPerIteration(F f, int n = kIterations, int runs = 5) {
  double best = 1e30;
  for (int run = 0; run < runs; ++run) {
    timespec start{}, end{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &start);
    f();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
    const double took =
        static_cast<double>(end.tv_sec - start.tv_sec) * 1e9 + static_cast<double>(end.tv_nsec - start.tv_nsec);
    best = std::min(best, took / n);
  }
  return best;
}

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
  // The loop with and without try, measured in turns so that both see the
  // same load on a shared machine.
  double bare = 1e30, guarded = 1e30;
  for (int turn = 0; turn < 5; ++turn) {
    bare = std::min(bare, nsPerIteration([] { runShell(loop("x = k * 2", kIterations)); }, kIterations, 1));
    guarded = std::min(guarded, nsPerIteration([] { runShell(loop(kGuarded, kIterations)); }, kIterations, 1));
  }
  std::printf("zq loop %.2f ns per iteration, with its statement in try/catch %.2f\n", bare, guarded);
  std::printf("ratio shell_loop_try: %.2f\n", guarded / bare);
  // The loop around each raise costs about one shell iteration.
  const double byError = nsPerIteration([] { runShell(loop(kRaiseByError, kRaises)); }, kRaises);
  const double byBuiltin = nsPerIteration([] { runShell(loop(kRaiseByBuiltin, kRaises)); }, kRaises);
  std::printf("raising and catching an error: by error() %.2f us, by a builtin %.2f us\n", (byError - shell) / 1000,
              (byBuiltin - shell) / 1000);
}

}  // namespace

int main(int argc, char **argv) {
  zqbench::RatioReporter reporter;
  zqbench::runBenchmarks(argc, argv, reporter);
  benchmark::Shutdown();
  summary(reporter);
  return 0;
}
