// The runner's system services on Linux, the one POSIX system the process
// layer builds on.
#include <cxxabi.h>
#include <execinfo.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "runner/platform.h"

namespace runner::platform {
namespace {

// backtrace_symbols gives "module(mangled+0x1f) [0x55d0...]"; show the symbol
// demangled where there is one.
std::string readable_frame(const char* raw) {
  std::string line(raw);
  const auto open = line.find('(');
  const auto plus = line.find('+', open);
  if (open == std::string::npos || plus == std::string::npos || plus == open + 1)
    return line;
  const std::string mangled = line.substr(open + 1, plus - open - 1);
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status), &std::free);
  if (status != 0 || !demangled)
    return line;
  return line.substr(0, open + 1) + demangled.get() + line.substr(plus);
}

}  // namespace

std::uint64_t current_thread_id() noexcept {
  return static_cast<std::uint64_t>(::syscall(SYS_gettid));
}

void name_current_thread(std::string_view name) noexcept {
  try {
    // The kernel keeps 15 bytes and a terminator; longer names are refused outright.
    const std::string shortened(name.substr(0, 15));
    pthread_setname_np(pthread_self(), shortened.c_str());
  } catch (...) {
    // A thread without a name runs just as well.
  }
}

void use_binary_standard_streams() noexcept {}

bool stdout_is_terminal() noexcept {
  return ::isatty(STDOUT_FILENO) == 1;
}

unsigned available_processors() noexcept {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0)
      return static_cast<unsigned>(count);
  }
  const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<unsigned>(online) : 0;
}

std::optional<std::string> environment_variable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr)
    return std::nullopt;
  return std::string(value);
}

std::size_t capture_stack(std::span<void*> frames, std::size_t skip) noexcept {
  constexpr std::size_t most = 256;
  void* all[most];
  const std::size_t wanted = std::min(most, frames.size() + skip + 1);
  const int stored = ::backtrace(all, static_cast<int>(wanted));
  const std::size_t first = skip + 1;  // this function's own frame, then the skipped ones
  if (stored <= 0 || static_cast<std::size_t>(stored) <= first)
    return 0;
  const std::size_t count = std::min(frames.size(), static_cast<std::size_t>(stored) - first);
  std::copy_n(all + first, count, frames.begin());
  return count;
}

std::vector<std::string> describe_stack(std::span<void* const> frames) {
  std::vector<std::string> lines;
  if (frames.empty())
    return lines;
  std::unique_ptr<char*, decltype(&std::free)> symbols(
      ::backtrace_symbols(frames.data(), static_cast<int>(frames.size())), &std::free);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (symbols) {
      lines.push_back(readable_frame(symbols.get()[i]));
    } else {
      char address[32];
      std::snprintf(address, sizeof address, "%p", frames[i]);
      lines.emplace_back(address);
    }
  }
  return lines;
}

void raise_open_file_limit() noexcept {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
    return;
  limit.rlim_cur = limit.rlim_max;
  if (::setrlimit(RLIMIT_NOFILE, &limit) == 0)
    return;
#if defined(OPEN_MAX)
  // macOS refuses an unlimited soft limit but takes its own ceiling.
  limit.rlim_cur = OPEN_MAX;
  ::setrlimit(RLIMIT_NOFILE, &limit);
#endif
}

}  // namespace runner::platform
