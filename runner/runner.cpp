#include "runner/runner.h"

#include <cstdlib>
#include <iostream>
#include <optional>
#include <vector>

#include "runner/capture.h"
#include "runner/case_execution.h"
#include "runner/options.h"
#include "runner/platform.h"
#include "runner/report.h"
#include "runner/result_log.h"
#include "runner/run.h"
#include "runner/scheduler.h"
#include "runner/selection.h"
#include "runner/worker_count.h"

namespace runner {
namespace {

int refuse(std::ostream& err, const std::string& reason) {
  err << "error: " << reason << '\n' << std::flush;
  return exit_failure;
}

// The stream's state after a flush decides whether the report reached it.
int written(std::ostream& out, std::ostream& err, int status) {
  out.flush();
  if (out)
    return status;
  return refuse(err, "the report could not be written to standard output");
}

int list_cases(const Selection& selection, const Options& options, std::ostream& out,
               std::ostream& err) {
  for (const SelectedCase& c : selection.cases)
    out << c.descriptor->name << ": test\n";
  if (options.format == ReportFormat::pretty) {
    const std::size_t count = selection.cases.size();
    out << '\n' << count << (count == 1 ? " test" : " tests") << ", 0 benchmarks\n";
  }
  return written(out, err, exit_success);
}

bool use_color(ColorChoice choice, const Environment& env, bool capture) {
  switch (choice) {
    case ColorChoice::always:
      return true;
    case ColorChoice::never:
      return false;
    case ColorChoice::automatic:
      return capture && env.stdout_is_terminal();
  }
  return false;
}

// Passes the scheduler's events on to the report and the log.
class ReportingEvents final : public SchedulerEvents {
 public:
  ReportingEvents(Report& report, ResultLog& log) : report_(report), log_(log) {}

  void case_started(const CaseDescriptor& descriptor) override { report_.case_started(descriptor); }
  void case_finished(CaseResult result) override {
    log_.record(result);
    report_.case_finished(result);
  }
  void case_running_long(const CaseDescriptor& descriptor,
                         std::chrono::milliseconds after) override {
    report_.case_running_long(descriptor, std::chrono::duration_cast<std::chrono::seconds>(after));
  }

 private:
  Report& report_;
  ResultLog& log_;
};

int run_cases_and_report(const Selection& selection, const Options& options, const Environment& env,
                         std::ostream& out, std::ostream& err, const RunTimings& timings) {
  ResultLog log;
  if (options.logfile) {
    log = ResultLog(*options.logfile);
    if (!log.is_open())
      return refuse(err, "cannot open the log file " + *options.logfile);
  }
  const auto workers = resolve_worker_count(options, env);
  if (const auto* reason = std::get_if<std::string>(&workers))
    return refuse(err, *reason);
  const std::size_t worker_count = std::get<std::size_t>(workers);

  const bool capture = !options.no_capture && !env.switched_on(nocapture_variable);
  Report report(out, {.format = options.format,
                      .color = use_color(options.color, env, capture),
                      .show_output = options.show_output,
                      .one_worker = worker_count == 1});
  ExecutionContext context(capture, env.switched_on(backtrace_variable), err);
  ReportingEvents events(report, log);

  const auto started = std::chrono::steady_clock::now();
  report.header(selection.cases.size());
  {
    std::optional<OutputCapture> captured_streams;
    if (capture)
      captured_streams.emplace();
    run_cases(
        selection.cases, worker_count, timings.slow_case_after,
        [&context](const CaseDescriptor& c) { return execute_case(c, context); }, events);
  }
  report.summary(selection.filtered_out, std::chrono::steady_clock::now() - started);

  if (!log.finish())
    return refuse(err, "the log file " + *options.logfile + " could not be written");
  return written(out, err, report.any_failed() ? exit_failure : exit_success);
}

}  // namespace

int run(std::span<const std::string> args, Registry registry, const Environment& env,
        std::ostream& out, std::ostream& err, const RunTimings& timings) {
  const CommandLine command_line = parse_command_line(args);
  if (const auto* error = std::get_if<CommandLineError>(&command_line)) {
    return refuse(err, error->reason);
  }
  if (const auto* help = std::get_if<HelpRequest>(&command_line)) {
    out << usage(help->program);
    return written(out, err, exit_success);
  }
  const Options& options = std::get<Options>(command_line);
  if (options.logfile)
    err << "warning: `--logfile` is deprecated\n" << std::flush;

  const Selection selection = select_cases(registry, options);
  if (options.list)
    return list_cases(selection, options, out, err);
  return run_cases_and_report(selection, options, env, out, err, timings);
}

void run_main(int argc, char** argv, Registry registry) {
  platform::use_binary_standard_streams();
  platform::raise_open_file_limit();
  const std::vector<std::string> args(argv, argv + argc);
  const int status = run(args, registry, ProcessEnvironment(), std::cout, std::cerr);
  if (status != exit_success)
    std::exit(status);
}

}  // namespace runner
