// The runner's core, free of the process: the command line, the environment
// and both output streams are handed in, and the exit status comes back.
// run_main (runner.h) is this with the real process around it.
#pragma once

#include <chrono>
#include <ostream>
#include <span>
#include <string>

#include "runner/case.h"
#include "runner/environment.h"

namespace runner {

inline constexpr int exit_success = 0;
inline constexpr int exit_failure = 101;

struct RunTimings {
  // A case still running this long after its start is announced once.
  std::chrono::milliseconds slow_case_after = std::chrono::seconds(60);
};

// `args` holds the program's path first. Returns 0 when every selected case
// passed (or after help or a listing), 101 when a case failed, the command line
// was refused, or the report could not be written.
int run(std::span<const std::string> args, Registry registry, const Environment& env,
        std::ostream& out, std::ostream& err, const RunTimings& timings = {});

}  // namespace runner
