// What the small stand-in tools of the tests share: standard streams that pass
// bytes unchanged, and an end without an exit code of the tool's choosing.
#pragma once

#include <cstdint>
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <signal.h>
#endif

namespace test_tool {

// What a parent sees of a tool that died abnormally: POSIX reports no exit
// code for a process killed by a signal; on Windows every process has one, and
// a crash leaves its NTSTATUS (here STATUS_ACCESS_VIOLATION, read as signed).
#ifdef _WIN32
inline constexpr std::int32_t abnormal_exit_code = static_cast<std::int32_t>(0xC0000005u);
#endif

// Windows opens standard streams in text mode, which writes LF as CR LF and
// reads CR LF as LF.
inline void use_binary_standard_streams() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

// Ends the process at once, as a crash would.
[[noreturn]] inline void die_abnormally() {
  std::fflush(nullptr);
#ifdef _WIN32
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(abnormal_exit_code));
#else
  ::raise(SIGKILL);
#endif
  for (;;) {
  }
}

}  // namespace test_tool
