// The report on standard output, pretty (one line per case) or terse (one
// character per case):
//
//   (empty line)
//   running N tests
//   test NAME ... ok                          one per case
//   successes: ...                            with --show-output
//   failures: ...                             when a case failed
//   (empty line)
//   test result: ok. P passed; F failed; I ignored; 0 measured; X filtered out; finished in S.SSs
//   (empty line)
#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "runner/case_execution.h"
#include "runner/options.h"

namespace runner {

struct ReportStyle {
  ReportFormat format = ReportFormat::pretty;
  bool color = false;
  bool show_output = false;
  // With one worker a pretty line is begun when its case starts.
  bool one_worker = true;
};

class Report {
 public:
  Report(std::ostream& out, ReportStyle style) : out_(out), style_(style) {}

  void header(std::size_t selected);
  void case_started(const CaseDescriptor& descriptor);
  void case_finished(const CaseResult& result);
  void case_running_long(const CaseDescriptor& descriptor, std::chrono::seconds after);
  // The output sections and the summary line; ends with a flush.
  void summary(std::size_t filtered_out, std::chrono::duration<double> elapsed);

  bool any_failed() const { return failed_ > 0; }

 private:
  struct Output {
    std::string name;
    std::string captured;
  };

  void write_result_word(Verdict verdict);
  void write_outputs(std::string_view title, const std::vector<Output>& outputs);
  std::string colored(std::string_view text, std::string_view color) const;

  std::ostream& out_;
  const ReportStyle style_;
  std::size_t passed_ = 0;
  std::size_t failed_ = 0;
  std::size_t ignored_ = 0;
  std::vector<Output> successes_;  // in order of completion
  std::vector<Output> failures_;   // in order of completion
  std::string open_line_;          // a pretty line begun but not ended
  bool terse_row_open_ = false;
};

}  // namespace runner
