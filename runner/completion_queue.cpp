#include "runner/completion_queue.h"

namespace runner {

void CompletionQueue::push(Completion completion) {
  {
    std::lock_guard guard(lock_);
    completions_.push_back(std::move(completion));
  }
  arrived_.notify_one();
}

std::optional<Completion> CompletionQueue::pop(std::optional<Clock::time_point> deadline) {
  std::unique_lock guard(lock_);
  const auto ready = [this] { return !completions_.empty(); };
  if (deadline) {
    if (!arrived_.wait_until(guard, *deadline, ready))
      return std::nullopt;
  } else {
    arrived_.wait(guard, ready);
  }
  Completion completion = std::move(completions_.front());
  completions_.pop_front();
  return completion;
}

}  // namespace runner
