#include "scenarios/sentinel_checks.h"

#include <gtest/gtest.h>

#include "fixture/files.h"
#include "fixture/temp_dir.h"
#include "tests/support/failure_of.h"

namespace {

using scenarios::check_sentinel_absent;
using scenarios::check_sentinel_present;
using test_support::failure_of;

TEST(SentinelChecks, ConditionAndWordingComeFromTheOneName) {
  const auto perch = fixture::TempDir::create();
  fixture::write_file(perch.path() / ".idle-ready", "");

  EXPECT_NO_THROW(check_sentinel_present(perch.path(), ".idle-ready"));
  EXPECT_NO_THROW(check_sentinel_absent(perch.path(), ".has-messages"));
  EXPECT_EQ(failure_of([&] { check_sentinel_absent(perch.path(), ".idle-ready"); }),
            "assertion failed: !perch.join(\".idle-ready\").exists()");
  EXPECT_EQ(failure_of([&] { check_sentinel_present(perch.path(), ".has-messages"); }),
            "assertion failed: perch.join(\".has-messages\").exists()");
}

}  // namespace
