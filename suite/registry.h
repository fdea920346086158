#pragma once

#include "runner/case.h"

namespace suite {

// The seven cases, in ascending byte order of their names.
runner::Registry registry() noexcept;

}  // namespace suite
