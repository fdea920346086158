// The wall clock in the unit the spool stores: whole seconds since 1970.
#pragma once

#include <cstdint>

namespace kiv {

std::int64_t seconds_since_epoch();

}  // namespace kiv
