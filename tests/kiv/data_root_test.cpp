// Where kiv keeps its data: RUZ_HOME, or else .ruz in the home directory,
// whatever characters the path holds.
#include <gtest/gtest.h>

#include "driver/process.h"
#include "tests/kiv/support/sandbox.h"
#include "tests/kiv/support/spool.h"

namespace kiv_test {
namespace {

TEST(KivDataRoot, WorksInAHomeWhosePathIsNotAscii) {
  // Two characters of Latin-1 and two that no single-byte code page holds.
  const std::u8string home_name = u8"h\u00e9me-\u00fc-\u6771\u4eac";
  for (bool ruz_home : {true, false}) {
    SCOPED_TRACE(ruz_home ? "RUZ_HOME set" : "home directory alone");
    Sandbox sandbox(home_name);
    auto perch = sandbox.register_agent("chain-agent", "s-1");
    auto run = [&](std::vector<std::string> args, std::string input) {
      ChildOptions options;
      options.args = std::move(args);
      options.input = std::move(input);
      if (!ruz_home)
        options.env.push_back({"RUZ_HOME", std::nullopt});
      return sandbox.run(std::move(options));
    };

    auto delivered = run({"deliver", "chain-agent", "sender"}, "hello");
    EXPECT_EQ(delivered.exit_code, 0) << delivered.err;
    EXPECT_EQ(count_rows(perch, 0), 1);

    auto check = run({"hook-check"}, "{\"session_id\":\"s-1\"}");
    EXPECT_NE(check.out.find(">hello</message>"), std::string::npos) << check.err;
    EXPECT_EQ(count_rows(perch, 1), 1);

    auto refused = run({"deliver", "nobody", "sender"}, "lost");
    EXPECT_EQ(refused.exit_code, 1);
    EXPECT_NE(refused.err.find(driver::path_text(sandbox.kivery())), std::string::npos)
        << refused.err;
  }
}

}  // namespace
}  // namespace kiv_test
