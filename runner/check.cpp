#include "runner/check.h"

namespace runner {

std::string equality_report(std::string_view left, std::string_view right,
                            std::string_view message) {
  std::string report = "assertion `left == right` failed";
  if (!message.empty()) {
    report += ": ";
    report += message;
  }
  report += "\n  left: ";
  report += left;
  report += "\n right: ";
  report += right;
  return report;
}

void fail_unexpected(std::string_view description, std::source_location where) {
  fail_step(unexpected_error_notice, description, where);
}

void fail_step(std::string_view step_message, std::string_view description,
               std::source_location where) {
  std::string message(step_message);
  message += ": ";
  message += description;
  fail(std::move(message), where);
}

}  // namespace runner
