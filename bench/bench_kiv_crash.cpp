// How the kiv tool fares when a draining hook-check is killed: each trial fills
// the spool with 10,000 pending rows, starts hook-check behind timeout(1) and
// kills it with SIGKILL after a random delay within the length of a whole run,
// then looks at what was shown and what the spool and the sentinel say.
//
//   bench_kiv_crash [trials] [kiv executable]
//
// A batch is "shown twice" when the answer was complete but the rows are still
// pending (the next check shows them again); "lost" when the rows were marked
// delivered but the answer was not complete. Lost must stay 0.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/kiv/support/sandbox.h"
#include "tests/kiv/support/spool.h"

namespace {

using kiv_test::Sandbox;

constexpr char test_agent[] = "crash-agent";
constexpr char test_session[] = "crash-session";
constexpr int row_count = 10000;
constexpr char timeout_program[] = "/usr/bin/timeout";
constexpr char answer_end[] = "</kiv_messages>\"}}\n";

struct Tally {
  int trials = 0;
  int killed_before_answer = 0;
  int shown_twice = 0;
  int completed = 0;
  int lost = 0;
  int partial = 0;  // some rows delivered, some not: never expected
  int pending_without_sentinel = 0;
};

class Trials {
 public:
  explicit Trials(std::string tool)
      : tool_(std::move(tool)), perch_(home_.register_agent(test_agent, test_session)) {
    run(std::nullopt);  // warms the session cache
  }

  // Median time of a whole drain of row_count rows, started the same way.
  double whole_run_seconds() {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
      refill();
      auto started = std::chrono::steady_clock::now();
      auto result = run(std::nullopt);
      times.push_back(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
      if (result.exit_code != 0 || !ends_with(result.out, answer_end))
        throw std::runtime_error("a whole run failed: " + result.err);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }

  void trial(double kill_after, Tally& tally) {
    refill();
    auto result = run(kill_after);
    bool answered = ends_with(result.out, answer_end);
    auto delivered = kiv_test::count_rows(perch_, 1);
    auto pending = kiv_test::count_rows(perch_, 0);

    ++tally.trials;
    if (delivered != 0 && pending != 0) {
      ++tally.partial;
    } else if (delivered == row_count && !answered) {
      ++tally.lost;
    } else if (answered && pending == row_count) {
      ++tally.shown_twice;
    } else if (answered) {
      ++tally.completed;
    } else {
      ++tally.killed_before_answer;
    }
    if (pending > 0 && !kiv_test::entry_exists(perch_ / ".has-messages"))
      ++tally.pending_without_sentinel;
  }

 private:
  static bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
  }

  // A spool of row_count pending rows and its sentinel, as a sender leaves them.
  void refill() {
    std::filesystem::remove(perch_ / "spool.db");
    kiv_test::fill_spool(perch_, 0, row_count);
    kiv_test::write_file(perch_ / ".has-messages", "");
  }

  kiv_test::ChildResult run(std::optional<double> kill_after) {
    kiv_test::ChildOptions options;
    options.args = {"hook-check"};
    options.input = std::string("{\"session_id\":\"") + test_session + "\"}";
    if (!kill_after)
      return home_.run_command({tool_}, options);
    char delay[32];
    std::snprintf(delay, sizeof delay, "%.4f", *kill_after);
    return home_.run_command({timeout_program, "-s", "KILL", delay, tool_}, options);
  }

  std::string tool_;
  Sandbox home_;
  std::filesystem::path perch_;
};

}  // namespace

int main(int argc, char** argv) {
  int trials = argc > 1 ? std::atoi(argv[1]) : 100;
  std::string tool = argc > 2 ? argv[2] : kiv_test::kiv_path();
  try {
    Trials runs(tool);
    double whole = runs.whole_run_seconds();
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> kill_after(0.0, whole * 1.1);
    Tally tally;
    for (int i = 0; i < trials; ++i)
      runs.trial(kill_after(random), tally);

    std::printf("kiv: %s\n", tool.c_str());
    std::printf("whole drain of %d rows: %.1f ms (median of 5); kills drawn in 0 to %.1f ms\n",
                row_count, whole * 1000, whole * 1100);
    std::printf("%-44s %6d\n", "trials", tally.trials);
    std::printf("%-44s %6d\n", "killed before a complete answer", tally.killed_before_answer);
    std::printf("%-44s %6d\n", "complete answer, rows still pending (twice)", tally.shown_twice);
    std::printf("%-44s %6d\n", "complete answer, rows delivered", tally.completed);
    std::printf("%-44s %6d\n", "rows delivered, answer incomplete (lost)", tally.lost);
    std::printf("%-44s %6d\n", "rows partly delivered", tally.partial);
    std::printf("%-44s %6d\n", "pending rows without .has-messages",
                tally.pending_without_sentinel);
    return tally.lost == 0 && tally.partial == 0 ? 0 : 1;
  } catch (const std::exception& problem) {
    std::fprintf(stderr, "bench_kiv_crash: %s\n", problem.what());
    return 2;
  }
}
