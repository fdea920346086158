#include "driver/tool_run.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/failure_of.h"

namespace driver {
namespace {

// The hook runners are tested in hook_runner_test.cpp; here the one thing they
// do not show: a caller's own messages, as `deliver` gives them.
TEST(ToolRun, FailsWithTheCallersSpawnMessage) {
  const std::string message = test_support::failure_of([] {
    run_tool(Command("/nonexistent/kiv"), "body\n", {"deliver failed", "deliver failed"});
  });
  EXPECT_EQ(message.rfind("deliver failed: ", 0), 0u) << message;
  EXPECT_NE(message.find("/nonexistent/kiv"), std::string::npos) << message;
}

}  // namespace
}  // namespace driver
