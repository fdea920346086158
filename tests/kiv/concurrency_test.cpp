// Many senders racing the hook: every message is shown exactly once and none
// is left pending without its sentinel.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "tests/kiv/support/sandbox.h"
#include "tests/kiv/support/spool.h"

namespace kiv_test {
namespace {

constexpr int rounds = 5;
constexpr int senders_per_round = 10;
constexpr int sender_count = rounds * senders_per_round;

size_t count_occurrences(const std::string& text, const std::string& needle) {
  size_t count = 0;
  for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
    ++count;
  }
  return count;
}

TEST(KivConcurrency, ParallelDeliversInterleavedWithChecksShowEveryMessageOnce) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent("busy-agent", "busy-session");

  std::mutex outputs_lock;
  std::string outputs;
  std::atomic<int> failures{0};

  for (int round = 0; round < rounds; ++round) {
    std::atomic<bool> delivering{true};
    std::thread checker([&] {
      while (delivering) {
        auto run = sandbox.hook_check("busy-session");
        if (run.exit_code != 0)
          ++failures;
        std::lock_guard lock(outputs_lock);
        outputs += run.out;
      }
    });
    std::vector<std::thread> senders;
    for (int i = round * senders_per_round; i < (round + 1) * senders_per_round; ++i) {
      senders.emplace_back([&, i] {
        auto n = std::to_string(i);
        if (sandbox.deliver("busy-agent", "sender-" + n, "body-" + n).exit_code != 0)
          ++failures;
      });
    }
    for (auto& sender : senders)
      sender.join();
    delivering = false;
    checker.join();

    if (count_rows(perch, 0) > 0) {
      EXPECT_TRUE(entry_exists(perch / ".has-messages"))
          << "pending rows without the sentinel after round " << round;
    }
  }

  ASSERT_EQ(failures, 0);
  outputs += sandbox.hook_check("busy-session").out;
  EXPECT_EQ(count_rows(perch, 0), 0);
  EXPECT_EQ(count_rows(perch, 1), sender_count);
  for (int i = 0; i < sender_count; ++i) {
    auto n = std::to_string(i);
    EXPECT_EQ(count_occurrences(outputs, "\\\"sender-" + n + "\\\">body-" + n + "</message>"), 1u)
        << "body-" << n;
  }
}

}  // namespace
}  // namespace kiv_test
