// Which cases of a registry a command line selects, and which of those run.
#pragma once

#include <cstddef>
#include <vector>

#include "runner/case.h"
#include "runner/options.h"

namespace runner {

struct SelectedCase {
  const CaseDescriptor* descriptor = nullptr;
  bool run = true;  // false: reported as ignored without running
};

struct Selection {
  std::vector<SelectedCase> cases;  // in registry order
  std::size_t filtered_out = 0;
};

// Keeps the cases matching a filter (all when there is none), drops those
// matching a --skip, then applies the ignored-case mode.
Selection select_cases(Registry registry, const Options& options);

}  // namespace runner
