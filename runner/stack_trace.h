// Backtraces of failed checks: off unless the runner turns them on for a
// worker thread, then taken where a Failure is raised (see failure.h).
#pragma once

#include <string>

#include "runner/failure.h"

namespace runner {

// Turns capture on (or off) for the calling thread while the scope lives.
class StackTraceScope {
 public:
  explicit StackTraceScope(bool enabled);
  ~StackTraceScope();
  StackTraceScope(const StackTraceScope&) = delete;
  StackTraceScope& operator=(const StackTraceScope&) = delete;

 private:
  StackTrace (*previous_)() noexcept;
};

// "stack backtrace:" and one numbered line per frame, each ending in "\n".
std::string format_stack_trace(const StackTrace& trace);

}  // namespace runner
