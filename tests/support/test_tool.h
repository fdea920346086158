// What the small stand-in tools of the tests share: standard streams that pass
// bytes unchanged, arguments as UTF-8 (variables: tests/support/environment.h),
// and an end without an exit code of the tool's choosing. test_tool-posix.cpp and
// test_tool-win32.cpp implement it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace test_tool {

// What a parent sees of a tool that died abnormally: POSIX reports no exit
// code for a process killed by a signal; on Windows every process has one, and
// a crash leaves its NTSTATUS (here STATUS_ACCESS_VIOLATION, read as signed).
#ifdef _WIN32
inline constexpr std::int32_t abnormal_exit_code = static_cast<std::int32_t>(0xC0000005u);
#endif

// Windows opens standard streams in text mode, which writes LF as CR LF and
// reads CR LF as LF: this puts all three in binary mode.
void use_binary_standard_streams();

// The arguments after the program's name, as UTF-8. (Windows hands `argv` over
// in the ANSI code page; the UTF-16 command line has them whole.)
std::vector<std::string> arguments(int argc, char** argv);

// Ends the process at once, as a crash would.
[[noreturn]] void die_abnormally();

}  // namespace test_tool
