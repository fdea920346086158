// Where worker threads hand finished cases to the thread that reports them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

#include "runner/case_execution.h"

namespace runner {

struct Completion {
  std::size_t slot = 0;  // the case's place in the selection
  CaseResult result;
};

class CompletionQueue {
 public:
  using Clock = std::chrono::steady_clock;

  void push(Completion completion);
  // The oldest completion; waits for one until `deadline`, or without limit
  // when there is none. Nothing when the deadline passed first.
  std::optional<Completion> pop(std::optional<Clock::time_point> deadline);

 private:
  std::mutex lock_;
  std::condition_variable arrived_;
  std::deque<Completion> completions_;
};

}  // namespace runner
