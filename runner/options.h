// The runner's command line: the program's path, then options and name filters
// in any order. Parsed by hand, so that its texts and refusals stay fixed.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace runner {

enum class IgnoredCases { reported, only, included };
enum class ColorChoice { automatic, always, never };
enum class ReportFormat { pretty, terse };

struct Options {
  std::vector<std::string> filters;
  std::vector<std::string> skips;
  bool exact = false;
  IgnoredCases ignored = IgnoredCases::reported;
  bool tests = false;       // --test
  bool benchmarks = false;  // --bench
  bool list = false;
  std::optional<std::string> logfile;
  bool no_capture = false;
  std::optional<std::size_t> test_threads;
  ReportFormat format = ReportFormat::pretty;
  ColorChoice color = ColorChoice::automatic;
  bool show_output = false;

  // Cases are tests, not benchmarks: --bench alone runs none of them.
  bool run_cases() const { return tests || !benchmarks; }
};

// -h or --help: print the usage for this program path and stop.
struct HelpRequest {
  std::string program;
};

// A command line the runner refuses; `reason` follows "error: ".
struct CommandLineError {
  std::string reason;
};

using CommandLine = std::variant<Options, HelpRequest, CommandLineError>;

// `args` holds the program's path first, then the words of the command line.
CommandLine parse_command_line(std::span<const std::string> args);

// The text -h prints: the usage line, every option with its help, and notes on
// filters, parallel running, order and output capture.
std::string usage(std::string_view program);

}  // namespace runner
