// The failure a case body throws when a check does not hold. It carries the
// message and the position of the failed check; the runner catches it for that
// case alone and writes the failure notice.
#pragma once

#include <array>
#include <cstddef>
#include <exception>
#include <source_location>
#include <string>

namespace runner {

// The call stack where a failure was raised, innermost frame first. Empty
// unless the runner turned backtraces on for the raising thread.
struct StackTrace {
  std::array<void*, 64> frames{};
  std::size_t size = 0;
};

namespace detail {
// Installed by the runner on the threads whose failures should carry a trace;
// null elsewhere, so that raising a failure costs no stack walk.
inline thread_local StackTrace (*stack_trace_capturer)() noexcept = nullptr;

inline StackTrace capture_stack_trace() noexcept {
  return stack_trace_capturer != nullptr ? stack_trace_capturer() : StackTrace{};
}
}  // namespace detail

class Failure : public std::exception {
 public:
  Failure(std::string message, std::source_location where) noexcept
      : message_(std::move(message)), where_(where), stack_trace_(detail::capture_stack_trace()) {}

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const noexcept { return message_; }
  const std::source_location& where() const noexcept { return where_; }
  const StackTrace& stack_trace() const noexcept { return stack_trace_; }

 private:
  std::string message_;
  std::source_location where_;
  StackTrace stack_trace_;
};

[[noreturn]] inline void fail(std::string message,
                              std::source_location where = std::source_location::current()) {
  throw Failure(std::move(message), where);
}

}  // namespace runner
