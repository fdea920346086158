// Costs of the kiv tool as the host sees them: whole runs of the executable.
//
// - hook-check with nothing pending, against a bare start of /bin/true;
// - the same with 10,000 registered agents and a warm session cache, and the
//   first lookup among them (a scan of every agent record);
// - draining 1,000 pending rows from a fresh spool and from one that also
//   holds 100,000 delivered rows.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <stdexcept>

#include "tests/kiv/support/sandbox.h"
#include "tests/kiv/support/spool.h"

namespace {

using kiv_test::Sandbox;

constexpr char test_agent[] = "bench-agent";
constexpr char test_session[] = "bench-session";

void expect_success(const kiv_test::ChildResult& run) {
  if (run.exit_code != 0)
    throw std::runtime_error("run failed: " + run.err);
}

// A home with `agents` registered agents, one of them test_agent.
Sandbox& home_with_agents(int agents) {
  static std::map<int, std::unique_ptr<Sandbox>> homes;
  auto& home = homes[agents];
  if (!home) {
    home = std::make_unique<Sandbox>();
    for (int i = 1; i < agents; ++i) {
      home->register_agent("agent-" + std::to_string(i), "session-" + std::to_string(i));
    }
    home->register_agent(test_agent, test_session);
  }
  return *home;
}

void BM_start_true(benchmark::State& state) {
  kiv_test::ChildOptions options;
  for (auto _ : state)
    expect_success(kiv_test::run_child("/bin/true", options));
}

void BM_hook_check_nothing_pending(benchmark::State& state) {
  auto& home = home_with_agents(static_cast<int>(state.range(0)));
  expect_success(home.hook_check(test_session));  // warms the session cache
  for (auto _ : state)
    expect_success(home.hook_check(test_session));
}

void BM_hook_check_first_lookup(benchmark::State& state) {
  auto& home = home_with_agents(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(home.kivery() / ".session-cache");
    state.ResumeTiming();
    expect_success(home.hook_check(test_session));
  }
}

// range(0): delivered rows already in the spool; 1,000 pending rows each run.
void BM_hook_check_drain_1000(benchmark::State& state) {
  Sandbox home;
  auto perch = home.register_agent(test_agent, test_session);
  kiv_test::fill_spool(perch, static_cast<int>(state.range(0)), 0);
  expect_success(home.hook_check(test_session));  // warms the cache and the spool's index
  for (auto _ : state) {
    state.PauseTiming();
    kiv_test::fill_spool(perch, 0, 1000);
    state.ResumeTiming();
    auto run = home.hook_check(test_session);
    expect_success(run);
    if (run.out.size() < 1000 * 20)
      throw std::runtime_error("drained too little");
  }
}

constexpr int repetitions = 5;

BENCHMARK(BM_start_true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(repetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_hook_check_nothing_pending)
    ->Arg(1)
    ->Arg(10000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(repetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_hook_check_first_lookup)
    ->Arg(1)
    ->Arg(10000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(repetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_hook_check_drain_1000)
    ->Arg(0)
    ->Arg(100000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(repetitions)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
