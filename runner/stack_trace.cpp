#include "runner/stack_trace.h"

#include <span>

#include "runner/platform.h"

namespace runner {
namespace {

thread_local bool traces_enabled = false;

}  // namespace

namespace detail {

StackTrace capture_stack_trace() noexcept {
  StackTrace trace;
  // Leaves out this function, so that the trace starts at Failure's constructor.
  if (traces_enabled)
    trace.size = platform::capture_stack(trace.frames, 1);
  return trace;
}

}  // namespace detail

StackTraceScope::StackTraceScope(bool enabled) : previous_(traces_enabled) {
  traces_enabled = enabled;
}

StackTraceScope::~StackTraceScope() {
  traces_enabled = previous_;
}

std::string format_stack_trace(const StackTrace& trace) {
  std::string text = "stack backtrace:\n";
  const auto frames = std::span<void* const>(trace.frames).first(trace.size);
  const std::vector<std::string> lines = platform::describe_stack(frames);
  if (lines.empty())
    text += "   (no frames recorded)\n";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string number = std::to_string(i);
    text += std::string(number.size() < 4 ? 4 - number.size() : 0, ' ') + number + ": " + lines[i] +
            "\n";
  }
  return text;
}

}  // namespace runner
