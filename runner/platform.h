// The few operating-system services the runner needs, behind one seam:
// platform-posix.cpp on Linux, platform-win32.cpp on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace runner::platform {

// The calling thread's numeric id as the system shows it (gettid, GetCurrentThreadId).
std::uint64_t current_thread_id() noexcept;

// Names the calling thread for debuggers and process listings. The system may
// shorten the name (Linux keeps 15 bytes); failures are ignored.
void name_current_thread(std::string_view name) noexcept;

// Puts standard output and standard error in binary mode, so that a line
// break leaves the process as one LF (Windows' text mode writes CR LF).
void use_binary_standard_streams() noexcept;

// Whether the process's standard output is a terminal.
bool stdout_is_terminal() noexcept;

// The processors this process may run on; 0 when the system does not say.
unsigned available_processors() noexcept;

// The value of an environment variable, or nothing when it is not set.
std::optional<std::string> environment_variable(const std::string& name);

// Fills `frames` with the return addresses of the calling thread's stack,
// innermost first, leaving out this function and `skip` frames of its callers;
// returns how many were stored.
std::size_t capture_stack(std::span<void*> frames, std::size_t skip) noexcept;

// One readable line per frame: module, symbol where known, address.
std::vector<std::string> describe_stack(std::span<void* const> frames);

// Raises the process's soft limit on open files to its hard limit, so that
// many workers at once do not run short of descriptors. Failures are ignored;
// where the system has no such limit it does nothing.
void raise_open_file_limit() noexcept;

}  // namespace runner::platform
