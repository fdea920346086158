// One run of the tool: start a command with piped standard streams, write its
// input, wait for it to end, and hand back what it printed. Every failure ends
// the calling case; no child outlives the call.
#pragma once

#include <cstdint>
#include <source_location>
#include <string>
#include <string_view>

#include "driver/process.h"

namespace driver {

// The result of one run, owned by the caller.
struct HookRun {
  std::string stdout_text;      // decoded lossily as UTF-8, untrimmed
  std::string stderr_text;      // the same for standard error
  std::int32_t exit_code = -1;  // -1 when the platform reports no exit code
};

// The messages a run fails with, each followed by ": " and the error's description.
// A failed write of the input always fails with the unexpected-error notice.
struct RunFailureMessages {
  std::string spawn;  // the command cannot be started
  std::string wait;   // reading its output or waiting for its exit fails
};

// Starts `command`, writes all of `input` to its standard input, then closes it
// and waits while draining both output streams. After a failed write the child
// is reaped before the case fails.
HookRun run_tool(const Command& command, std::string_view input, const RunFailureMessages& messages,
                 std::source_location where = std::source_location::current());

}  // namespace driver
