#include <gtest/gtest.h>

#include "runner/failure.h"
#include "tests/runner/runner_fixture.h"

namespace runner_test {
namespace {

// The Suite's seven case names, with empty bodies.
const SyntheticRegistry seven{
    make_case("full_hook_chain_deliver_check_idle", &passes),
    make_case("hook_check_clears_idle_ready", &passes),
    make_case("hook_check_drains_pending_message", &passes),
    make_case("hook_check_no_messages_returns_empty", &passes),
    make_case("hook_idle_leaves_messages_for_poll", &passes),
    make_case("hook_idle_sets_idle_ready", &passes),
    make_case("session_cache_populated_on_lookup", &passes),
};

struct SelectionCase {
  std::vector<std::string> words;
  std::vector<std::string> run;  // in report order
  std::size_t filtered_out;
};

class Selection : public testing::TestWithParam<SelectionCase> {};

TEST_P(Selection, RunsTheSelectedCasesAndCountsTheRest) {
  const SelectionCase& expected = GetParam();
  std::vector<std::string> words = expected.words;
  words.push_back("--test-threads=1");
  const RunOutcome outcome = run_with(words, seven);

  const std::size_t count = expected.run.size();
  std::string report = "\nrunning " + std::to_string(count) + (count == 1 ? " test\n" : " tests\n");
  for (const std::string& name : expected.run)
    report += "test " + name + " ... ok\n";
  report += "\ntest result: ok. " + std::to_string(count) + " passed; 0 failed; 0 ignored; " +
            "0 measured; " + std::to_string(expected.filtered_out) +
            " filtered out; finished in 0.00s\n\n";
  EXPECT_EQ(normalised(outcome.out), report);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Runner, Selection,
    testing::Values(
        SelectionCase{{},
                      {"full_hook_chain_deliver_check_idle", "hook_check_clears_idle_ready",
                       "hook_check_drains_pending_message", "hook_check_no_messages_returns_empty",
                       "hook_idle_leaves_messages_for_poll", "hook_idle_sets_idle_ready",
                       "session_cache_populated_on_lookup"},
                      0},
        SelectionCase{{"idle"},
                      {"full_hook_chain_deliver_check_idle", "hook_check_clears_idle_ready",
                       "hook_idle_leaves_messages_for_poll", "hook_idle_sets_idle_ready"},
                      3},
        SelectionCase{{"--exact", "hook_idle_sets_idle_ready"}, {"hook_idle_sets_idle_ready"}, 6},
        SelectionCase{{"--exact", "idle"}, {}, 7},
        SelectionCase{{"--skip", "hook_check"},
                      {"full_hook_chain_deliver_check_idle", "hook_idle_leaves_messages_for_poll",
                       "hook_idle_sets_idle_ready", "session_cache_populated_on_lookup"},
                      3},
        SelectionCase{{"--skip=hook_check", "--exact"},
                      {"full_hook_chain_deliver_check_idle", "hook_check_clears_idle_ready",
                       "hook_check_drains_pending_message", "hook_check_no_messages_returns_empty",
                       "hook_idle_leaves_messages_for_poll", "hook_idle_sets_idle_ready",
                       "session_cache_populated_on_lookup"},
                      0},
        SelectionCase{
            {"idle", "--skip", "hook_idle", "--skip", "full"}, {"hook_check_clears_idle_ready"}, 6},
        SelectionCase{{"session", "drains"},
                      {"hook_check_drains_pending_message", "session_cache_populated_on_lookup"},
                      5},
        SelectionCase{{"no_such_case"}, {}, 7}, SelectionCase{{"--ignored"}, {}, 7}));

TEST(RunnerSelection, ListsTheSelectedCases) {
  const RunOutcome pretty = run_with({"--list", "idle", "--skip", "hook_check"}, seven);
  EXPECT_EQ(pretty.out,
            "full_hook_chain_deliver_check_idle: test\n"
            "hook_idle_leaves_messages_for_poll: test\n"
            "hook_idle_sets_idle_ready: test\n"
            "\n3 tests, 0 benchmarks\n");
  EXPECT_EQ(pretty.status, 0);

  const RunOutcome terse =
      run_with({"--list", "-q", "--exact", "hook_idle_sets_idle_ready"}, seven);
  EXPECT_EQ(terse.out, "hook_idle_sets_idle_ready: test\n");
}

runner::CaseOutcome ignored_body() {
  runner::fail("an ignored case ran");
}

TEST(RunnerSelection, IgnoredCasesRunOnlyWhenAskedFor) {
  runner::CaseDescriptor skipped = make_case("b_ignored", &ignored_body);
  skipped.ignore = true;
  runner::CaseDescriptor explained = make_case("c_ignored", &ignored_body);
  explained.ignore = true;
  explained.ignore_message = "needs a network";
  const SyntheticRegistry registry{make_case("a_plain", &passes), skipped, explained};

  const RunOutcome reported = run_with({}, registry);
  EXPECT_EQ(normalised(reported.out),
            "\nrunning 3 tests\n"
            "test a_plain ... ok\n"
            "test b_ignored ... ignored\n"
            "test c_ignored ... ignored, needs a network\n"
            "\ntest result: ok. 1 passed; 0 failed; 2 ignored; 0 measured; 0 filtered out; "
            "finished in 0.00s\n\n");
  EXPECT_EQ(reported.status, 0);

  const RunOutcome only = run_with({"--ignored"}, registry);
  EXPECT_NE(only.out.find("\nrunning 2 tests\n"), std::string::npos);
  EXPECT_NE(only.out.find("0 passed; 2 failed; 0 ignored; 0 measured; 1 filtered out"),
            std::string::npos);
  EXPECT_EQ(only.status, 101);

  const RunOutcome all = run_with({"--include-ignored"}, registry);
  EXPECT_NE(all.out.find("1 passed; 2 failed; 0 ignored; 0 measured; 0 filtered out"),
            std::string::npos);
}

TEST(RunnerSelection, BenchAloneRunsNoCase) {
  const SyntheticRegistry registry{make_case("a_case", &fails)};
  const RunOutcome bench = run_with({"--bench"}, registry);
  EXPECT_NE(bench.out.find("test a_case ... ignored\n"), std::string::npos);
  EXPECT_EQ(bench.status, 0);
  EXPECT_EQ(run_with({"--bench", "--test"}, registry).status, 101);
}

}  // namespace
}  // namespace runner_test
