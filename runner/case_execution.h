// Running one case body on the calling worker thread: naming the thread,
// capturing its output, catching its failure and writing the failure notice.
#pragma once

#include <atomic>
#include <mutex>
#include <ostream>
#include <string>

#include "runner/case.h"

namespace runner {

enum class Verdict { passed, failed, ignored };

struct CaseResult {
  const CaseDescriptor* descriptor = nullptr;
  Verdict verdict = Verdict::passed;
  std::string captured;  // empty without capture
};

// What the cases of one run share. Workers use it concurrently.
class ExecutionContext {
 public:
  // `console` receives failure notices of uncaptured cases.
  ExecutionContext(bool capture, bool backtraces, std::ostream& console)
      : capture_(capture), backtraces_(backtraces), console_(console) {}

  bool capture() const { return capture_; }
  bool backtraces() const { return backtraces_; }
  // True for the first caller of the run only.
  bool claim_first_notice() { return !first_notice_given_.exchange(true); }
  // Writes and flushes `text` on the console, one writer at a time.
  void write_to_console(const std::string& text);

 private:
  const bool capture_;
  const bool backtraces_;
  std::atomic<bool> first_notice_given_{false};
  std::mutex console_lock_;
  std::ostream& console_;
};

// Runs the case's body on the calling thread and judges it.
CaseResult execute_case(const CaseDescriptor& descriptor, ExecutionContext& context);

}  // namespace runner
