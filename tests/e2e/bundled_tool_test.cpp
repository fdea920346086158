// The Suite against the bundled kiv tool: every case passes, whatever the
// number of workers, and nothing is left in the temporary directory.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/report.h"
#include "tests/e2e/suite_run.h"

namespace {

struct Workers {
  const char* name;
  std::vector<std::string> args;
  bool in_completion_order;  // several workers print each line when its case ends
};

void PrintTo(const Workers& workers, std::ostream* out) {
  *out << workers.name;
}

class BundledTool : public testing::TestWithParam<Workers> {};

TEST_P(BundledTool, AllSevenCasesPass) {
  const Workers& workers = GetParam();
  auto run = e2e::run_suite(HOOK_CHAIN_SUITE, workers.args);

  EXPECT_EQ(e2e::normalise(run.report, run.temp_dir, workers.in_completion_order),
            e2e::expected_report());
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.leftovers, std::vector<std::string>{}) << "left behind in " << run.temp_dir;
}

INSTANTIATE_TEST_SUITE_P(Workers, BundledTool,
                         testing::Values(Workers{"default", {}, true},
                                         Workers{"one", {"--test-threads", "1"}, false},
                                         Workers{"seven", {"--test-threads", "7"}, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
