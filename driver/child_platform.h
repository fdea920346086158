// The half of Child that differs by platform. process-posix.cpp and
// process-win32.cpp define these over their Child::State; process.cpp builds
// Child's moves, destructor and close-and-reap on them.
#pragma once

#include "driver/process.h"

namespace driver::child_platform {

// Ends a child that has not been reaped yet; does nothing otherwise.
void kill(Child::State& state) noexcept;

// Closes our ends of the child's three pipes.
void close_pipes(Child::State& state) noexcept;

// Waits for a child that has not been reaped yet, ignoring errors, and
// marks it reaped.
void reap_quietly(Child::State& state) noexcept;

}  // namespace driver::child_platform
