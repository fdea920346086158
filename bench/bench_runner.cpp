// The runner's own cost per case: 1,000 cases with empty bodies run on two
// workers, the report going to a stream that keeps nothing.
#include <benchmark/benchmark.h>

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "runner/case.h"
#include "runner/run.h"

namespace {

constexpr std::size_t case_count = 1000;

runner::CaseOutcome empty_body() {
  return runner::CaseOutcome::passed;
}

class DiscardingBuffer final : public std::streambuf {
 protected:
  int_type overflow(int_type ch) override { return traits_type::not_eof(ch); }
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

class QuietEnvironment final : public runner::Environment {
 public:
  std::optional<std::string> variable(const std::string&) const override { return std::nullopt; }
  unsigned available_processors() const override { return 2; }
  bool stdout_is_terminal() const override { return false; }
};

void BM_RunnerPerCase(benchmark::State& state, std::vector<std::string> words) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < case_count; ++i)
    names.push_back("case_" + std::to_string(i));
  std::vector<runner::CaseDescriptor> cases(case_count);
  std::vector<const runner::CaseDescriptor*> registry;
  for (std::size_t i = 0; i < case_count; ++i) {
    cases[i].name = names[i];
    cases[i].entry = &empty_body;
    registry.push_back(&cases[i]);
  }
  words.insert(words.begin(), {"bench", "--test-threads", "2"});

  DiscardingBuffer discard;
  std::ostream out(&discard);
  std::ostream err(&discard);
  const QuietEnvironment env;
  for (auto _ : state) {
    const int status = runner::run(words, registry, env, out, err);
    if (status != 0)
      state.SkipWithError("the run failed");
  }
  // Shown as time per case.
  state.counters["per_case"] = benchmark::Counter(
      static_cast<double>(case_count),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK_CAPTURE(BM_RunnerPerCase, captured, std::vector<std::string>{})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_RunnerPerCase, uncaptured, std::vector<std::string>{"--no-capture"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
