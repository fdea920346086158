#include "runner/options.h"

#include <algorithm>
#include <array>

#include "runner/whole_number.h"

namespace runner {
namespace {

// A reason when the option's argument is refused, nothing when it was taken.
using Apply = std::optional<std::string> (*)(Options&, std::string_view argument);

// A row of the option table. A plain flag names the member it sets; an option
// that takes or checks an argument has code of its own; a row with neither is
// an option the runner refuses (all but --help, which the parser handles).
struct OptionSpec {
  std::string_view short_name;    // "-h", or empty
  std::string_view long_name;     // "--help", or empty
  std::string_view argument;      // the placeholder shown in the help; empty for a flag
  std::string_view help;          // empty: not listed in the help
  bool Options::*flag = nullptr;  // a plain flag: set to true
  Apply apply = nullptr;
};

std::optional<std::string> taken() {
  return std::nullopt;
}

const std::string exclusive_ignored =
    "the options --include-ignored and --ignored are mutually exclusive";

std::optional<std::string> include_ignored(Options& o, std::string_view) {
  if (o.ignored == IgnoredCases::only)
    return exclusive_ignored;
  o.ignored = IgnoredCases::included;
  return taken();
}

std::optional<std::string> only_ignored(Options& o, std::string_view) {
  if (o.ignored == IgnoredCases::included)
    return exclusive_ignored;
  o.ignored = IgnoredCases::only;
  return taken();
}

std::optional<std::string> set_logfile(Options& o, std::string_view path) {
  o.logfile = std::string(path);
  return taken();
}

std::optional<std::string> set_test_threads(Options& o, std::string_view argument) {
  const auto parsed = parse_whole_number(argument);
  if (const auto* problem = std::get_if<std::string>(&parsed)) {
    return "argument for --test-threads must be a number > 0 (error: " + *problem + ")";
  }
  const std::size_t count = std::get<std::size_t>(parsed);
  if (count == 0)
    return std::string("argument for --test-threads must not be 0");
  o.test_threads = count;
  return taken();
}

std::optional<std::string> add_skip(Options& o, std::string_view filter) {
  o.skips.emplace_back(filter);
  return taken();
}

std::optional<std::string> set_terse(Options& o, std::string_view) {
  o.format = ReportFormat::terse;
  return taken();
}

std::optional<std::string> set_color(Options& o, std::string_view argument) {
  if (argument == "auto") {
    o.color = ColorChoice::automatic;
  } else if (argument == "always") {
    o.color = ColorChoice::always;
  } else if (argument == "never") {
    o.color = ColorChoice::never;
  } else {
    return "argument for --color must be auto, always, or never (was " + std::string(argument) +
           ")";
  }
  return taken();
}

std::optional<std::string> set_format(Options& o, std::string_view argument) {
  if (argument == "pretty") {
    o.format = ReportFormat::pretty;
  } else if (argument == "terse") {
    o.format = ReportFormat::terse;
  } else if (argument == "json" || argument == "junit") {
    return "the option --format " + std::string(argument) + " is not supported";
  } else {
    return "argument for --format must be pretty or terse (was " + std::string(argument) + ")";
  }
  return taken();
}

constexpr std::array<OptionSpec, 22> option_table{{
    {"", "--include-ignored", "", "Run ignored and not ignored tests", nullptr, include_ignored},
    {"", "--ignored", "", "Run only ignored tests", nullptr, only_ignored},
    {"", "--test", "", "Run tests and not benchmarks", &Options::tests},
    {"", "--bench", "", "Run benchmarks instead of tests", &Options::benchmarks},
    {"", "--list", "", "List all tests and benchmarks", &Options::list},
    {"-h", "--help", "", "Display this message"},
    {"", "--logfile", "PATH", "Write logs to the specified file (deprecated)", nullptr,
     set_logfile},
    {"", "--no-capture", "", "don't capture stdout/stderr of each task, allow printing directly",
     &Options::no_capture},
    {"", "--nocapture", "", "", &Options::no_capture},  // Deprecated, use `--no-capture`
    {"", "--test-threads", "n_threads", "Number of threads used for running tests in parallel",
     nullptr, set_test_threads},
    {"", "--skip", "FILTER",
     "Skip tests whose names contain FILTER (this flag can be used multiple times)", nullptr,
     add_skip},
    {"-q", "--quiet", "",
     "Display one character per test instead of one line. Alias to --format=terse", nullptr,
     set_terse},
    {"", "--exact", "", "Exactly match filters rather than by substring", &Options::exact},
    {"", "--color", "auto|always|never",
     "Colour the result words: auto (the default) only when stdout is a terminal and output is "
     "captured; always; never",
     nullptr, set_color},
    {"", "--format", "pretty|terse|json|junit",
     "Report format: pretty (the default) prints one line per test, terse one character per "
     "test; json and junit are not supported",
     nullptr, set_format},
    {"", "--show-output", "", "Show captured stdout of successful tests", &Options::show_output},
    // Listed so that scripts written for richer runners fail loudly, not silently.
    {"", "--force-run-in-process", "", "Run each test in the runner's own process (not supported)"},
    {"", "--fail-fast", "", "Stop at the first failed test (not supported)"},
    {"", "--report-time", "", "Show the execution time of each test (not supported)"},
    {"", "--ensure-time", "", "Fail tests that run longer than their time limit (not supported)"},
    {"", "--shuffle", "", "Run tests in random order (not supported)"},
    {"", "--shuffle-seed", "SEED", "Run tests in random order seeded by SEED (not supported)"},
}};

constexpr OptionSpec unstable_options{"-Z", "", "FLAG", "Enable unstable options (not supported)"};

const OptionSpec* find_option(std::string_view name) {
  if (name == unstable_options.short_name)
    return &unstable_options;
  const auto found = std::find_if(option_table.begin(), option_table.end(), [&](const auto& entry) {
    return name == entry.long_name || (!entry.short_name.empty() && name == entry.short_name);
  });
  return found == option_table.end() ? nullptr : &*found;
}

// "--name=value" and "-Zvalue" carry their argument inline.
struct OptionWord {
  std::string_view name;
  std::optional<std::string_view> inline_argument;
};

OptionWord split_option_word(std::string_view word) {
  if (word.starts_with("--")) {
    const auto equals = word.find('=');
    if (equals == std::string_view::npos)
      return {word, std::nullopt};
    return {word.substr(0, equals), word.substr(equals + 1)};
  }
  if (word.size() > 2)
    return {word.substr(0, 2), word.substr(2)};
  return {word, std::nullopt};
}

std::string help_line(const OptionSpec& entry) {
  std::string left = "    ";
  if (entry.short_name.empty()) {
    left += "    " + std::string(entry.long_name);
  } else if (entry.long_name.empty()) {
    left += entry.short_name;
  } else {
    left += std::string(entry.short_name) + ", " + std::string(entry.long_name);
  }
  if (!entry.argument.empty())
    left += " " + std::string(entry.argument);

  constexpr std::size_t help_column = 32;
  constexpr std::size_t width = 100;
  std::string text = left;
  if (left.size() + 2 > help_column) {
    text += "\n" + std::string(help_column, ' ');
  } else {
    text += std::string(help_column - left.size(), ' ');
  }
  // Words wrap onto lines indented to the help column.
  std::size_t column = help_column;
  std::string_view rest = entry.help;
  bool first = true;
  while (!rest.empty()) {
    const auto space = rest.find(' ');
    const std::string_view word = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    if (!first && column + 1 + word.size() > width) {
      text += "\n" + std::string(help_column, ' ');
      column = help_column;
    } else if (!first) {
      text += ' ';
      ++column;
    }
    text += word;
    column += word.size();
    first = false;
  }
  return text + "\n";
}

constexpr std::string_view usage_notes = R"(
Filters:
    A word that does not begin with "-" is a filter. Without filters every test
    is selected; with filters, only the tests whose names contain one of them,
    or with --exact equal one of them. Each --skip then drops the tests whose
    names contain (with --exact: equal) its argument. Ignored tests are listed
    as ignored unless --ignored or --include-ignored runs them.

Parallel running:
    Tests run at once on as many worker threads as --test-threads says, else
    as the SUITE_TEST_THREADS environment variable says, else one per processor
    available to the process. Each test runs on a thread of its own that bears
    the test's name. A test still running after 60 seconds is announced and
    keeps running; there is no time limit.

Order:
    Tests start in the order in which they are registered. With one thread each
    line is written as its test runs; with more threads a test's line is written
    when it ends, so lines come in the order in which the tests finish.

Output capture:
    What a test writes to std::cout, std::cerr and std::clog is collected per
    test and shown only for failed tests (and, with --show-output, for passed
    ones). --no-capture, or SUITE_NOCAPTURE set to anything but 0, prints it
    directly instead. SUITE_BACKTRACE set to anything but 0 adds a backtrace of
    the failed check to each failure.
)";

}  // namespace

CommandLine parse_command_line(std::span<const std::string> args) {
  Options options;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string_view word = args[i];
    if (!word.starts_with("-")) {
      options.filters.emplace_back(word);
      continue;
    }
    const OptionWord option = split_option_word(word);
    const OptionSpec* entry = find_option(option.name);
    if (entry == nullptr)
      return CommandLineError{"unrecognized option '" + std::string(word) + "'"};
    if (entry->long_name == "--help")
      return HelpRequest{args.front()};
    if (entry->flag == nullptr && entry->apply == nullptr) {
      return CommandLineError{"the option " + std::string(option.name) + " is not supported"};
    }

    std::string_view argument;
    if (entry->argument.empty()) {
      if (option.inline_argument) {
        return CommandLineError{"the option " + std::string(option.name) + " takes no argument"};
      }
    } else if (option.inline_argument) {
      argument = *option.inline_argument;
    } else if (i + 1 < args.size()) {
      argument = args[++i];
    } else {
      return CommandLineError{"the option " + std::string(option.name) + " requires an argument"};
    }
    if (entry->flag != nullptr) {
      options.*(entry->flag) = true;
    } else if (auto refusal = entry->apply(options, argument)) {
      return CommandLineError{std::move(*refusal)};
    }
  }
  return options;
}

std::string usage(std::string_view program) {
  std::string text = "Usage: " + std::string(program) + " [OPTIONS] [FILTERS...]\n\nOptions:\n";
  for (const OptionSpec& entry : option_table) {
    if (!entry.help.empty())
      text += help_line(entry);
  }
  text += help_line(unstable_options);
  text += usage_notes;
  return text;
}

}  // namespace runner
