#include "driver/tool_run.h"

#include <system_error>

#include "driver/utf8_lossy.h"
#include "runner/check.h"

namespace driver {

HookRun run_tool(const Command& command, std::string_view input, const RunFailureMessages& messages,
                 std::source_location where) {
  Child child = [&] {
    try {
      return spawn(command);
    } catch (const std::system_error& error) {
      runner::fail_step(messages.spawn, error.what(), where);
    }
  }();

  try {
    child.write_stdin(input);
  } catch (const std::system_error& error) {
    // The child must be gone before the case fails and its sandbox is removed.
    child.close_and_reap();
    runner::fail_unexpected(error.what(), where);
  }

  ProcessOutput output;
  try {
    output = child.wait_with_output();
  } catch (const std::system_error& error) {
    runner::fail_step(messages.wait, error.what(), where);
  }
  return HookRun{decode_utf8_lossy(output.stdout_bytes), decode_utf8_lossy(output.stderr_bytes),
                 output.exit_code.value_or(-1)};
}

}  // namespace driver
