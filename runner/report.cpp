#include "runner/report.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace runner {
namespace {

constexpr std::string_view green = "32";
constexpr std::string_view red = "31";
constexpr std::string_view yellow = "33";

std::string prefix(const CaseDescriptor& descriptor) {
  return "test " + std::string(descriptor.name) + " ... ";
}

}  // namespace

void Report::header(std::size_t selected) {
  out_ << "\nrunning " << selected << (selected == 1 ? " test\n" : " tests\n") << std::flush;
}

void Report::case_started(const CaseDescriptor& descriptor) {
  if (style_.format != ReportFormat::pretty || !style_.one_worker)
    return;
  open_line_ = prefix(descriptor);
  out_ << open_line_ << std::flush;
}

void Report::case_finished(const CaseResult& result) {
  const CaseDescriptor& descriptor = *result.descriptor;
  switch (result.verdict) {
    case Verdict::passed:
      ++passed_;
      successes_.push_back({std::string(descriptor.name), result.captured});
      break;
    case Verdict::failed:
      ++failed_;
      failures_.push_back({std::string(descriptor.name), result.captured});
      break;
    case Verdict::ignored:
      ++ignored_;
      break;
  }

  if (style_.format == ReportFormat::terse) {
    write_result_word(result.verdict);
    terse_row_open_ = true;
  } else {
    if (open_line_.empty())
      out_ << prefix(descriptor);
    write_result_word(result.verdict);
    if (result.verdict == Verdict::ignored && !descriptor.ignore_message.empty()) {
      out_ << ", " << descriptor.ignore_message;
    }
    out_ << '\n';
    open_line_.clear();
  }
  out_ << std::flush;
}

void Report::case_running_long(const CaseDescriptor& descriptor, std::chrono::seconds after) {
  // The notice takes a line of its own; a line begun for the running case is
  // begun again below it.
  if (terse_row_open_ || !open_line_.empty())
    out_ << '\n';
  terse_row_open_ = false;
  out_ << "test " << descriptor.name << " has been running for over " << after.count()
       << " seconds\n"
       << open_line_ << std::flush;
}

void Report::summary(std::size_t filtered_out, std::chrono::duration<double> elapsed) {
  if (terse_row_open_)
    out_ << '\n';
  terse_row_open_ = false;
  if (style_.show_output)
    write_outputs("successes", successes_);
  if (failed_ > 0)
    write_outputs("failures", failures_);

  std::ostringstream seconds;
  seconds << std::fixed << std::setprecision(2) << elapsed.count();
  out_ << "\ntest result: " << (failed_ > 0 ? colored("FAILED", red) : colored("ok", green)) << ". "
       << passed_ << " passed; " << failed_ << " failed; " << ignored_ << " ignored; 0 measured; "
       << filtered_out << " filtered out; finished in " << seconds.str() << "s\n\n"
       << std::flush;
}

void Report::write_result_word(Verdict verdict) {
  const bool terse = style_.format == ReportFormat::terse;
  switch (verdict) {
    case Verdict::passed:
      out_ << colored(terse ? "." : "ok", green);
      break;
    case Verdict::failed:
      out_ << colored(terse ? "F" : "FAILED", red);
      break;
    case Verdict::ignored:
      out_ << colored(terse ? "i" : "ignored", yellow);
      break;
  }
}

void Report::write_outputs(std::string_view title, const std::vector<Output>& outputs) {
  out_ << '\n' << title << ":\n";
  std::string blocks;
  for (const Output& output : outputs) {
    if (output.captured.empty())
      continue;
    blocks += "---- " + output.name + " stdout ----\n" + output.captured + "\n";
  }
  if (!blocks.empty())
    out_ << '\n' << blocks;

  std::vector<std::string_view> names;
  for (const Output& output : outputs)
    names.push_back(output.name);
  std::sort(names.begin(), names.end());
  out_ << '\n' << title << ":\n";
  for (const std::string_view name : names)
    out_ << "    " << name << '\n';
}

std::string Report::colored(std::string_view text, std::string_view color) const {
  if (!style_.color)
    return std::string(text);
  return "\x1b[" + std::string(color) + "m" + std::string(text) + "\x1b[0m";
}

}  // namespace runner
