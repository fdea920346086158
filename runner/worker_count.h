// How many cases run at once: --test-threads, else SUITE_TEST_THREADS, else the
// processors available to the process, else 1.
#pragma once

#include <cstddef>
#include <string>
#include <variant>

#include "runner/environment.h"
#include "runner/options.h"

namespace runner {

// The worker count, or the reason the environment's value is refused.
std::variant<std::size_t, std::string> resolve_worker_count(const Options& options,
                                                            const Environment& env);

}  // namespace runner
