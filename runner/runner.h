// The case runner's entry: reads the command line, selects cases from a static
// registry, runs them on worker threads and prints the report. It knows nothing
// of what the cases test.
#pragma once

#include "runner/case.h"

namespace runner {

// Process entry for a static registry. Returns only when every selected case
// passed (or after printing help or a listing); otherwise it ends the process
// with status 101.
void run_main(int argc, char** argv, Registry registry);

}  // namespace runner
