#include "runner/case_execution.h"

#include <exception>
#include <optional>

#include "runner/capture.h"
#include "runner/failure.h"
#include "runner/failure_notice.h"
#include "runner/platform.h"
#include "runner/stack_trace.h"

namespace runner {
namespace {

// What ended a body early.
struct Raised {
  std::string message;
  std::string position;
  std::optional<StackTrace> trace;  // only a runner::Failure carries one
};

std::string case_position(const CaseDescriptor& c) {
  return position_text(c.position.file, c.position.line, c.position.first_column);
}

// Calls the body; nothing when it returned.
std::optional<Raised> call_body(const CaseDescriptor& c) {
  try {
    if (c.entry == nullptr)
      return Raised{"case has no body", case_position(c), std::nullopt};
    c.entry();
    return std::nullopt;
  } catch (const Failure& failure) {
    const auto& where = failure.where();
    return Raised{failure.message(), position_text(where.file_name(), where.line(), where.column()),
                  failure.stack_trace()};
  } catch (const std::exception& e) {
    return Raised{std::string("case threw an exception: ") + e.what(), case_position(c),
                  std::nullopt};
  } catch (...) {
    return Raised{"case threw an exception that is not a std::exception", case_position(c),
                  std::nullopt};
  }
}

std::string notice_trailer(const Raised& raised, ExecutionContext& context) {
  if (context.backtraces()) {
    return raised.trace ? format_stack_trace(*raised.trace)
                        : "stack backtrace: not recorded for exceptions other than failed checks\n";
  }
  return context.claim_first_notice() ? std::string(backtrace_note) : std::string();
}

}  // namespace

void ExecutionContext::write_to_console(const std::string& text) {
  std::lock_guard lock(console_lock_);
  console_ << text << std::flush;
}

CaseResult execute_case(const CaseDescriptor& descriptor, ExecutionContext& context) {
  platform::name_current_thread(descriptor.name);
  CaseResult result{&descriptor, Verdict::passed, {}};
  std::optional<Raised> raised;
  {
    CaptureScope capture(context.capture() ? &result.captured : nullptr);
    StackTraceScope traces(context.backtraces());
    raised = call_body(descriptor);
  }

  std::string notice;
  if (raised) {
    notice = failure_notice(descriptor.name, platform::current_thread_id(), raised->position,
                            raised->message, notice_trailer(*raised, context));
  } else if (descriptor.should_fail) {
    notice = "note: case did not fail as expected\n";
  }
  if (!notice.empty()) {
    if (context.capture()) {
      result.captured += notice;
    } else {
      context.write_to_console(notice);
    }
  }
  result.verdict = raised.has_value() == descriptor.should_fail ? Verdict::passed : Verdict::failed;
  return result;
}

}  // namespace runner
