// The failure a step ends with, for tests of the checks and of the steps that
// use them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <source_location>
#include <string>

#include "runner/failure.h"

namespace test_support {

// Runs `step` and returns the message of the runner::Failure it throws. A step
// that throws none fails the calling test at `where`, and the result reads
// "<no failure>".
inline std::string failure_of(const std::function<void()>& step,
                              std::source_location where = std::source_location::current()) {
  try {
    step();
  } catch (const runner::Failure& failure) {
    return failure.message();
  }
  ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << "expected a failure";
  return "<no failure>";
}

}  // namespace test_support
