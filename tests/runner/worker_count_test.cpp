#include <gtest/gtest.h>

#include "runner/worker_count.h"
#include "tests/runner/runner_fixture.h"

namespace runner_test {
namespace {

struct WorkerRule {
  std::optional<std::size_t> option;
  std::optional<std::string> variable;
  unsigned processors;
  std::size_t workers;
};

class WorkerCount : public testing::TestWithParam<WorkerRule> {};

TEST_P(WorkerCount, TheFirstRuleThatAppliesDecides) {
  runner::Options options;
  options.test_threads = GetParam().option;
  FakeEnvironment env;
  if (GetParam().variable)
    env.variables["SUITE_TEST_THREADS"] = *GetParam().variable;
  env.processors = GetParam().processors;
  const auto resolved = runner::resolve_worker_count(options, env);
  ASSERT_TRUE(std::holds_alternative<std::size_t>(resolved));
  EXPECT_EQ(std::get<std::size_t>(resolved), GetParam().workers);
}

INSTANTIATE_TEST_SUITE_P(Runner, WorkerCount,
                         testing::Values(WorkerRule{3, "5", 8, 3}, WorkerRule{3, "nonsense", 8, 3},
                                         WorkerRule{std::nullopt, "5", 8, 5},
                                         WorkerRule{std::nullopt, "007", 8, 7},
                                         WorkerRule{std::nullopt, std::nullopt, 8, 8},
                                         WorkerRule{std::nullopt, std::nullopt, 0, 1}));

class BadThreadVariable : public testing::TestWithParam<std::string> {};

TEST_P(BadThreadVariable, StopsTheRunNamingTheValue) {
  FakeEnvironment env;
  env.variables["SUITE_TEST_THREADS"] = GetParam();
  const RunOutcome outcome = run_with({}, SyntheticRegistry{make_case("a", &fails)}, env);
  EXPECT_EQ(outcome.err,
            "error: SUITE_TEST_THREADS must be a positive whole number (was " + GetParam() + ")\n");
  EXPECT_EQ(outcome.status, 101);
  EXPECT_EQ(outcome.out.find("test a"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Runner, BadThreadVariable,
                         testing::Values("0", "", "-1", "+2", " 2", "2x", "1.5", "many",
                                         "99999999999999999999999"));

TEST(RunnerWorkerCount, ManyWorkersRunEveryCaseOnce) {
  const SyntheticRegistry registry{make_case("a", &passes), make_case("b", &fails),
                                   make_case("c", &passes), make_case("d", &passes),
                                   make_case("e", &fails)};
  for (const char* threads : {"1", "2", "3", "64"}) {
    const RunOutcome outcome = run_with({"--test-threads", threads}, registry);
    EXPECT_NE(outcome.out.find("3 passed; 2 failed; 0 ignored"), std::string::npos) << threads;
    EXPECT_NE(outcome.out.find("\nfailures:\n    b\n    e\n"), std::string::npos) << threads;
    EXPECT_EQ(outcome.status, 101);
  }
}

}  // namespace
}  // namespace runner_test
