#include "runner/stack_trace.h"

#include <span>

#include "runner/platform.h"

namespace runner {
namespace {

StackTrace capture_here() noexcept {
  StackTrace trace;
  // Leaves out this function, so that the trace starts at the raise.
  trace.size = platform::capture_stack(trace.frames, 1);
  return trace;
}

}  // namespace

StackTraceScope::StackTraceScope(bool enabled) : previous_(detail::stack_trace_capturer) {
  detail::stack_trace_capturer = enabled ? &capture_here : nullptr;
}

StackTraceScope::~StackTraceScope() {
  detail::stack_trace_capturer = previous_;
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
