#include "tests/e2e/report.h"

#include <algorithm>
#include <regex>
#include <sstream>
#include <vector>

namespace e2e {
namespace {

std::string replace_all(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) {
    return text;
  }
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

bool is_result_line(std::string_view line) {
  return line.starts_with("test ") && line.find(" ... ") != std::string_view::npos;
}

std::string sort_result_lines(const std::string& report) {
  std::vector<std::string> lines;
  std::istringstream in(report);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  auto first = std::find_if(lines.begin(), lines.end(), is_result_line);
  auto last = std::find_if_not(first, lines.end(), is_result_line);
  std::sort(first, last);

  std::string sorted;
  for (const auto& line : lines) {
    sorted += line + "\n";
  }
  if (!report.ends_with("\n")) {
    sorted.pop_back();
  }
  return sorted;
}

}  // namespace

std::string normalise(std::string report, std::string_view temp_dir, bool sort_results) {
  static const std::regex elapsed(R"(finished in \d+\.\d\ds)");
  static const std::regex notice(R"(thread '([^']*)' \([^)]+\) failed at ([^\n:]+):\d+:\d+:)");
  static const std::regex note(R"(\nnote: [^\n]*)");
  static const std::regex home(R"(<tmp>/[^/\s:]+)");

#ifdef _WIN32
  // Paths in the report read with forward slashes, as on POSIX; the report
  // holds no backslash of its own.
  report = replace_all(replace_all(report, temp_dir, "<tmp>"), "\\", "/");
#endif
  report = std::regex_replace(report, elapsed, "finished in <elapsed>");
  report = std::regex_replace(report, notice, "thread '$1' (<tid>) failed at $2:<line>:<col>:");
  report = std::regex_replace(report, note, "");
  report = std::regex_replace(replace_all(report, temp_dir, "<tmp>"), home, "<home>");
  return sort_results ? sort_result_lines(report) : report;
}

std::string expected_report(std::string_view failing_case, std::string_view message) {
  const bool failed = !failing_case.empty();
  std::string report = "\nrunning 7 tests\n";
  for (auto name : case_names) {
    report +=
        "test " + std::string(name) + " ... " + (name == failing_case ? "FAILED" : "ok") + "\n";
  }
  if (failed) {
    const std::string name(failing_case);
    report += "\nfailures:\n";
    report += "\n---- " + name + " stdout ----\n";
    report += "\nthread '" + name + "' (<tid>) failed at scenarios/hook_chain.cpp:<line>:<col>:\n";
    report += std::string(message) + "\n";
    report += "\n";
    report += "\nfailures:\n    " + name + "\n";
  }
  report += std::string("\ntest result: ") +
            (failed ? "FAILED. 6 passed; 1 failed;" : "ok. 7 passed; 0 failed;");
  report += " 0 ignored; 0 measured; 0 filtered out; finished in <elapsed>\n\n";
  return report;
}

}  // namespace e2e
