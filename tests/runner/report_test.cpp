#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <sstream>

#include "runner/failure.h"
#include "tests/runner/runner_fixture.h"

namespace runner_test {
namespace {

const std::string note =
    "note: run with `SUITE_BACKTRACE=1` environment variable to display a backtrace\n";

std::string notice(const std::string& name, const std::string& message) {
  return "\nthread '" + name + "' (TID) failed at " + failure_position() + ":\n" + message + "\n";
}

runner::CaseOutcome prints_and_fails() {
  std::cout << "to stdout\n";
  std::cerr << "to stderr\n";
  runner::fail("broke\nacross lines", failure_site());
}

runner::CaseOutcome prints_and_passes() {
  std::cout << "out of m\n" << std::flush;
  return runner::CaseOutcome::passed;
}

// Registry order is not name order, so failure order and name order differ.
const SyntheticRegistry mixed{make_case("z_prints", &prints_and_fails),
                              make_case("m_passes", &prints_and_passes),
                              make_case("e_silent", &passes), make_case("a_fails", &fails)};

const std::string failures_section =
    "\nfailures:\n\n---- z_prints stdout ----\nto stdout\nto stderr\n" +
    notice("z_prints", "broke\nacross lines") + note + "\n" + "---- a_fails stdout ----\n" +
    notice("a_fails", "boom") + "\n" + "\nfailures:\n    a_fails\n    z_prints\n";
const std::string failed_summary =
    "\ntest result: FAILED. 2 passed; 2 failed; 0 ignored; 0 measured; 0 filtered out; "
    "finished in 0.00s\n\n";

TEST(RunnerReport, PrettyReportWithFailures) {
  const RunOutcome outcome = run_with({"--test-threads", "1"}, mixed);
  EXPECT_EQ(normalised(outcome.out),
            "\nrunning 4 tests\n"
            "test z_prints ... FAILED\n"
            "test m_passes ... ok\n"
            "test e_silent ... ok\n"
            "test a_fails ... FAILED\n" +
                failures_section + failed_summary);
  EXPECT_EQ(outcome.status, 101);
  EXPECT_EQ(outcome.err, "");
}

TEST(RunnerReport, TerseReportWithShownOutput) {
  const RunOutcome outcome = run_with({"-q", "--show-output", "--test-threads=1"}, mixed);
  EXPECT_EQ(normalised(outcome.out),
            "\nrunning 4 tests\nF..F\n"
            "\nsuccesses:\n\n---- m_passes stdout ----\nout of m\n\n"
            "\nsuccesses:\n    e_silent\n    m_passes\n" +
                failures_section + failed_summary);
  EXPECT_EQ(outcome.status, 101);
}

TEST(RunnerReport, PassingRunShowsNoSections) {
  const SyntheticRegistry registry{make_case("b", &prints_and_passes), make_case("a", &passes)};
  for (const char* format : {"pretty", "terse"}) {
    const RunOutcome outcome = run_with({"--format", format}, registry);
    const std::string lines =
        std::string(format) == "terse" ? "..\n" : "test b ... ok\ntest a ... ok\n";
    EXPECT_EQ(normalised(outcome.out),
              "\nrunning 2 tests\n" + lines +
                  "\ntest result: ok. 2 passed; 0 failed; 0 ignored; 0 measured; 0 filtered out; "
                  "finished in 0.00s\n\n");
    EXPECT_EQ(outcome.status, 0);
  }
  const RunOutcome shown = run_with({"--show-output"}, registry);
  EXPECT_NE(
      shown.out.find("\nsuccesses:\n\n---- b stdout ----\nout of m\n\n\nsuccesses:\n    a\n    b\n"
                     "\ntest result: ok."),
      std::string::npos);
}

// Swaps std::cout's buffer for a string while it lives.
class ConsoleRecorder {
 public:
  ConsoleRecorder() : saved_(std::cout.rdbuf(text_.rdbuf())) {}
  ~ConsoleRecorder() { std::cout.rdbuf(saved_); }
  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* saved_;
};

runner::CaseOutcome talks() {
  std::cout << "inside\n";
  return runner::CaseOutcome::passed;
}

TEST(RunnerReport, OneWorkerWritesTheLinePrefixBeforeTheCaseRuns) {
  const SyntheticRegistry registry{make_case("talks", &talks)};
  const auto console_after = [&](std::vector<std::string> words) {
    ConsoleRecorder console;
    std::ostringstream err;
    words.insert(words.begin(), "suite");
    runner::run(words, registry.view(), FakeEnvironment{}, std::cout, err);
    return normalised(console.text());
  };
  const std::string summary =
      "\ntest result: ok. 1 passed; 0 failed; 0 ignored; 0 measured; 0 filtered out; finished in "
      "0.00s\n\n";
  EXPECT_EQ(console_after({"--no-capture", "--test-threads=1"}),
            "\nrunning 1 test\ntest talks ... inside\nok\n" + summary);
  EXPECT_EQ(console_after({"--no-capture", "--test-threads=2"}),
            "\nrunning 1 test\ninside\ntest talks ... ok\n" + summary);
  EXPECT_EQ(console_after({"--test-threads=1"}), "\nrunning 1 test\ntest talks ... ok\n" + summary);
}

TEST(RunnerReport, CaptureIsOffByOptionOrVariable) {
  const SyntheticRegistry registry{make_case("a_fails", &fails)};
  FakeEnvironment nocapture;
  nocapture.variables["SUITE_NOCAPTURE"] = "1";
  FakeEnvironment nocapture_zero;
  nocapture_zero.variables["SUITE_NOCAPTURE"] = "0";

  for (const auto& [words, env, captured] :
       {std::tuple{std::vector<std::string>{"--no-capture"}, FakeEnvironment{}, false},
        std::tuple{std::vector<std::string>{"--nocapture"}, FakeEnvironment{}, false},
        std::tuple{std::vector<std::string>{}, nocapture, false},
        std::tuple{std::vector<std::string>{}, nocapture_zero, true}}) {
    const RunOutcome outcome = run_with(words, registry, env);
    const std::string shown = notice("a_fails", "boom") + note;
    if (captured) {
      EXPECT_NE(normalised(outcome.out).find("---- a_fails stdout ----\n" + shown + "\n"),
                std::string::npos);
      EXPECT_EQ(outcome.err, "");
    } else {
      // The notice goes straight to the console; nothing is left to show.
      EXPECT_EQ(normalised(outcome.err), shown);
      EXPECT_NE(outcome.out.find("FAILED\n\nfailures:\n\nfailures:\n    a_fails\n"),
                std::string::npos);
    }
    EXPECT_EQ(outcome.status, 101);
  }
}

// An output stream that fulfils a promise once its text contains `trigger`,
// so that a case body can wait for the report to reach a point.
class WatchedOutput final : public std::streambuf {
 public:
  explicit WatchedOutput(std::string trigger) : trigger_(std::move(trigger)) {}
  const std::string& text() const { return text_; }
  std::shared_future<void> seen() { return seen_.get_future().share(); }

 protected:
  int_type overflow(int_type ch) override {
    const char c = traits_type::to_char_type(ch);
    xsputn(&c, 1);
    return ch;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    text_.append(s, static_cast<std::size_t>(n));
    if (!fulfilled_ && text_.find(trigger_) != std::string::npos) {
      fulfilled_ = true;
      seen_.set_value();
    }
    return n;
  }

 private:
  std::string trigger_;
  std::string text_;
  std::promise<void> seen_;
  bool fulfilled_ = false;
};

// Set before a run starts; read by the bodies below on their worker threads.
std::shared_future<void> report_reached;

void wait_for_report() {
  // A guard against hanging when the report never gets there; not a timing check.
  report_reached.wait_for(std::chrono::minutes(1));
}

runner::CaseOutcome waits_then_passes() {
  wait_for_report();
  return runner::CaseOutcome::passed;
}

runner::CaseOutcome waits_then_fails() {
  wait_for_report();
  runner::fail("late", failure_site());
}

std::string run_watched(const SyntheticRegistry& registry, std::vector<std::string> words,
                        const std::string& trigger, runner::RunTimings timings = {}) {
  WatchedOutput watched(trigger);
  std::ostream out(&watched);
  report_reached = watched.seen();
  std::ostringstream err;
  words.insert(words.begin(), "suite");
  runner::run(words, registry.view(), FakeEnvironment{}, out, err, timings);
  return normalised(watched.text());
}

TEST(RunnerReport, SeveralWorkersReportInOrderOfCompletion) {
  const SyntheticRegistry passing{make_case("a_slow", &waits_then_passes),
                                  make_case("b_fast", &passes)};
  EXPECT_EQ(run_watched(passing, {"--test-threads=2"}, "test b_fast ... ok\n"),
            "\nrunning 2 tests\ntest b_fast ... ok\ntest a_slow ... ok\n"
            "\ntest result: ok. 2 passed; 0 failed; 0 ignored; 0 measured; 0 filtered out; "
            "finished in 0.00s\n\n");

  const SyntheticRegistry failing{make_case("a_slow", &waits_then_fails),
                                  make_case("b_fast", &fails)};
  EXPECT_EQ(run_watched(failing, {"--test-threads=2"}, "test b_fast ... FAILED\n"),
            "\nrunning 2 tests\ntest b_fast ... FAILED\ntest a_slow ... FAILED\n"
            "\nfailures:\n\n---- b_fast stdout ----\n" +
                notice("b_fast", "boom") + note + "\n---- a_slow stdout ----\n" +
                notice("a_slow", "late") + "\n\nfailures:\n    a_slow\n    b_fast\n" +
                "\ntest result: FAILED. 0 passed; 2 failed; 0 ignored; 0 measured; 0 filtered "
                "out; finished in 0.00s\n\n");
}

TEST(RunnerReport, ALongRunningCaseIsAnnouncedOnceAndKeepsRunning) {
  const SyntheticRegistry registry{make_case("slow", &waits_then_passes)};
  const runner::RunTimings at_once{.slow_case_after = std::chrono::milliseconds(0)};
  const std::string announcement = "test slow has been running for over 0 seconds\n";
  const std::string summary =
      "\ntest result: ok. 1 passed; 0 failed; 0 ignored; 0 measured; 0 filtered out; finished in "
      "0.00s\n\n";
  EXPECT_EQ(run_watched(registry, {"--test-threads=1"}, announcement, at_once),
            "\nrunning 1 test\ntest slow ... \n" + announcement + "test slow ... ok\n" + summary);
  EXPECT_EQ(run_watched(registry, {"--test-threads=2"}, announcement, at_once),
            "\nrunning 1 test\n" + announcement + "test slow ... ok\n" + summary);
  EXPECT_EQ(run_watched(registry, {"--test-threads=1", "-q"}, announcement, at_once),
            "\nrunning 1 test\n" + announcement + ".\n" + summary);
}

TEST(RunnerReport, ColorsTheResultWords) {
  const SyntheticRegistry registry{make_case("a", &passes), make_case("b", &fails)};
  FakeEnvironment terminal;
  terminal.terminal = true;
  const std::string green_ok = "\x1b[32mok\x1b[0m";
  const std::string red_failed = "\x1b[31mFAILED\x1b[0m";

  const RunOutcome always = run_with({"--color=always"}, registry);
  EXPECT_NE(always.out.find("test a ... " + green_ok + "\ntest b ... " + red_failed + "\n"),
            std::string::npos);
  EXPECT_NE(always.out.find("\ntest result: " + red_failed + ". 1 passed"), std::string::npos);
  EXPECT_NE(run_with({"--color", "always", "-q"}, registry)
                .out.find("\x1b[32m.\x1b[0m\x1b[31mF\x1b[0m\n"),
            std::string::npos);
  EXPECT_NE(run_with({}, registry, terminal).out.find(green_ok), std::string::npos);

  for (const auto& [words, env] :
       {std::pair{std::vector<std::string>{}, FakeEnvironment{}},
        std::pair{std::vector<std::string>{"--no-capture"}, terminal},
        std::pair{std::vector<std::string>{"--color=never"}, terminal}}) {
    EXPECT_EQ(run_with(words, registry, env).out.find('\x1b'), std::string::npos);
  }
}

runner::CaseOutcome ignored_body() {
  return runner::CaseOutcome::passed;
}

TEST(RunnerReport, LogfileRecordsEachResult) {
  runner::CaseDescriptor ignored = make_case("c_ignored", &ignored_body);
  ignored.ignore = true;
  const SyntheticRegistry registry{make_case("a", &passes), make_case("b", &fails), ignored};
  const std::filesystem::path log =
      std::filesystem::path(testing::TempDir()) /
      ("runner-log-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));

  const RunOutcome outcome = run_with({"--logfile", log.string(), "--test-threads=1"}, registry);
  std::ifstream file(log);
  const std::string logged((std::istreambuf_iterator<char>(file)), {});
  file.close();
  std::filesystem::remove(log);
  EXPECT_EQ(logged, "ok a\nfailed b\nignored c_ignored\n");
  EXPECT_EQ(outcome.err, "warning: `--logfile` is deprecated\n");
  EXPECT_EQ(outcome.status, 101);

  const RunOutcome unopenable = run_with({"--logfile=/nonexistent-runner-dir/log"}, registry);
  EXPECT_EQ(unopenable.err,
            "warning: `--logfile` is deprecated\n"
            "error: cannot open the log file /nonexistent-runner-dir/log\n");
  EXPECT_EQ(unopenable.status, 101);
  EXPECT_EQ(unopenable.out, "");
}

TEST(RunnerReport, AReportThatCannotBeWrittenEndsWith101) {
  const SyntheticRegistry registry{make_case("a", &passes)};
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"suite"}, {"suite", "--list"}, {"suite", "--help"}}) {
    std::ostream broken(nullptr);
    std::ostringstream err;
    EXPECT_EQ(runner::run(words, registry.view(), FakeEnvironment{}, broken, err), 101);
    EXPECT_EQ(err.str(), "error: the report could not be written to standard output\n");
  }
}

}  // namespace
}  // namespace runner_test
