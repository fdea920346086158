#include <gtest/gtest.h>

#include "runner/options.h"
#include "tests/runner/runner_fixture.h"

namespace runner_test {
namespace {

using runner::CommandLineError;
using runner::Options;

// A registry whose one case fails, so that any run that should not happen shows.
const SyntheticRegistry failing_registry{make_case("a_case", &fails)};

struct Refusal {
  std::vector<std::string> words;
  std::string reason;
};

class RefusedCommandLine : public testing::TestWithParam<Refusal> {};

TEST_P(RefusedCommandLine, PrintsTheReasonAndEndsWith101) {
  const RunOutcome outcome = run_with(GetParam().words, failing_registry);
  EXPECT_EQ(outcome.status, 101);
  EXPECT_EQ(outcome.err, "error: " + GetParam().reason + "\n");
  EXPECT_EQ(outcome.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Runner, RefusedCommandLine,
    testing::Values(
        Refusal{{"--test-threads", "0"}, "argument for --test-threads must not be 0"},
        Refusal{{"--test-threads=000"}, "argument for --test-threads must not be 0"},
        Refusal{{"--test-threads", "abc"},
                "argument for --test-threads must be a number > 0 (error: invalid digit in 'abc')"},
        Refusal{{"--test-threads=-2"},
                "argument for --test-threads must be a number > 0 (error: invalid digit in '-2')"},
        Refusal{{"--test-threads="},
                "argument for --test-threads must be a number > 0 (error: cannot read a number "
                "from an empty text)"},
        Refusal{{"--test-threads", "99999999999999999999999"},
                "argument for --test-threads must be a number > 0 (error: number too large: "
                "'99999999999999999999999')"},
        Refusal{{"--test-threads"}, "the option --test-threads requires an argument"},
        Refusal{{"--color", "red"},
                "argument for --color must be auto, always, or never (was red)"},
        Refusal{{"--color="}, "argument for --color must be auto, always, or never (was )"},
        Refusal{{"--ignored", "--include-ignored"},
                "the options --include-ignored and --ignored are mutually exclusive"},
        Refusal{{"--include-ignored", "--ignored"},
                "the options --include-ignored and --ignored are mutually exclusive"},
        Refusal{{"--format", "json"}, "the option --format json is not supported"},
        Refusal{{"--format=junit"}, "the option --format junit is not supported"},
        Refusal{{"--format", "xml"}, "argument for --format must be pretty or terse (was xml)"},
        Refusal{{"--shuffle"}, "the option --shuffle is not supported"},
        Refusal{{"--shuffle-seed", "7"}, "the option --shuffle-seed is not supported"},
        Refusal{{"--report-time"}, "the option --report-time is not supported"},
        Refusal{{"--ensure-time"}, "the option --ensure-time is not supported"},
        Refusal{{"--fail-fast"}, "the option --fail-fast is not supported"},
        Refusal{{"--force-run-in-process"}, "the option --force-run-in-process is not supported"},
        Refusal{{"-Z", "unstable-options"}, "the option -Z is not supported"},
        Refusal{{"-Zunstable-options"}, "the option -Z is not supported"},
        Refusal{{"--frobnicate"}, "unrecognized option '--frobnicate'"},
        Refusal{{"-x"}, "unrecognized option '-x'"}, Refusal{{"-"}, "unrecognized option '-'"},
        Refusal{{"--exact=yes"}, "the option --exact takes no argument"},
        Refusal{{"--skip"}, "the option --skip requires an argument"},
        Refusal{{"--logfile"}, "the option --logfile requires an argument"}));

Options parsed(std::vector<std::string> words) {
  words.insert(words.begin(), "suite");
  const runner::CommandLine line = runner::parse_command_line(words);
  const auto* options = std::get_if<Options>(&line);
  if (options == nullptr) {
    ADD_FAILURE() << "command line refused";
    return {};
  }
  return *options;
}

TEST(RunnerCommandLine, ReadsEveryOptionInBothArgumentForms) {
  for (const bool inline_form : {false, true}) {
    const auto with = [&](std::string option, std::string value) {
      return inline_form ? std::vector<std::string>{option + "=" + value}
                         : std::vector<std::string>{option, value};
    };
    std::vector<std::string> words{"first",  "--exact", "--show-output", "--no-capture",
                                   "--list", "--test",  "--bench",       "--include-ignored",
                                   "second"};
    for (const auto& pair :
         {with("--skip", "s1"), with("--skip", "s2"), with("--logfile", "l.txt"),
          with("--test-threads", "3"), with("--color", "never"), with("--format", "terse")}) {
      words.insert(words.end(), pair.begin(), pair.end());
    }
    const Options o = parsed(words);
    EXPECT_EQ(o.filters, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(o.skips, (std::vector<std::string>{"s1", "s2"}));
    EXPECT_TRUE(o.exact && o.show_output && o.no_capture && o.list && o.tests && o.benchmarks);
    EXPECT_EQ(o.ignored, runner::IgnoredCases::included);
    EXPECT_EQ(o.logfile, "l.txt");
    EXPECT_EQ(o.test_threads, 3u);
    EXPECT_EQ(o.color, runner::ColorChoice::never);
    EXPECT_EQ(o.format, runner::ReportFormat::terse);
  }
}

TEST(RunnerCommandLine, DefaultsAndAliases) {
  const Options defaults = parsed({});
  EXPECT_TRUE(defaults.filters.empty());
  EXPECT_EQ(defaults.format, runner::ReportFormat::pretty);
  EXPECT_EQ(defaults.color, runner::ColorChoice::automatic);
  EXPECT_EQ(defaults.ignored, runner::IgnoredCases::reported);
  EXPECT_FALSE(defaults.test_threads.has_value());
  EXPECT_TRUE(defaults.run_cases());

  EXPECT_EQ(parsed({"-q"}).format, runner::ReportFormat::terse);
  EXPECT_EQ(parsed({"--quiet"}).format, runner::ReportFormat::terse);
  EXPECT_EQ(parsed({"-q", "--format", "pretty"}).format, runner::ReportFormat::pretty);
  EXPECT_TRUE(parsed({"--nocapture"}).no_capture);
  EXPECT_EQ(parsed({"--ignored"}).ignored, runner::IgnoredCases::only);
  EXPECT_FALSE(parsed({"--bench"}).run_cases());
  EXPECT_TRUE(parsed({"--bench", "--test"}).run_cases());
  // An option's argument is taken whole, even when it looks like an option.
  EXPECT_EQ(parsed({"--skip", "--exact"}).skips, std::vector<std::string>{"--exact"});
  EXPECT_FALSE(parsed({"--skip", "--exact"}).exact);
}

TEST(RunnerCommandLine, HelpPrintsUsageAndRunsNothing) {
  for (const char* help : {"-h", "--help"}) {
    const RunOutcome outcome = run_with({"a_case", help}, failing_registry);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_TRUE(outcome.out.starts_with("Usage: suite [OPTIONS] [FILTERS...]\n\nOptions:\n"));
    EXPECT_EQ(outcome.out.find("test result"), std::string::npos);
  }
  const std::string text = runner::usage("/bin/x");
  for (const char* listed :
       {"    -h, --help                  Display this message\n",
        "        --logfile PATH          Write logs to the specified file (deprecated)\n",
        "        --no-capture            don't capture stdout/stderr of each task, allow printing "
        "directly\n",
        "        --test-threads n_threads\n                                Number of threads used "
        "for running tests in parallel\n",
        "Run ignored and not ignored tests",
        "Run only ignored tests",
        "Run tests and not benchmarks",
        "Run benchmarks instead of tests",
        "List all tests and benchmarks",
        "Exactly match filters rather than by substring",
        "Show captured stdout of successful tests",
        "Skip tests whose names contain FILTER",
        "Display one character per test instead of one line. Alias to\n",
        "--format=terse",
        "--color auto|always|never",
        "--format pretty|terse|json|junit",
        "--shuffle ",
        "--shuffle-seed SEED",
        "--report-time",
        "--ensure-time",
        "--fail-fast",
        "-Z FLAG",
        "\nFilters:\n",
        "\nParallel running:\n",
        "\nOrder:\n",
        "\nOutput capture:\n"}) {
    EXPECT_NE(text.find(listed), std::string::npos) << listed;
  }
  EXPECT_EQ(text.find("--nocapture"), std::string::npos);
}

TEST(RunnerCommandLine, RefusalComesBeforeALaterHelp) {
  const RunOutcome outcome = run_with({"--bogus", "--help"}, failing_registry);
  EXPECT_EQ(outcome.status, 101);
  EXPECT_EQ(outcome.err, "error: unrecognized option '--bogus'\n");
}

}  // namespace
}  // namespace runner_test
