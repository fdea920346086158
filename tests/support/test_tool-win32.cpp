#include <fcntl.h>
#include <io.h>
#include <windows.h>
// clang-format off: shellapi.h needs windows.h first
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <cstdlib>

#include "runner/utf16.h"
#include "tests/support/test_tool.h"

namespace test_tool {

using runner::utf16::narrow;

void use_binary_standard_streams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

std::vector<std::string> arguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  for (int i = 1; i < count; ++i)
    args.push_back(narrow(wide[i]));
  ::LocalFree(wide);
  return args;
}

void die_abnormally() {
  std::fflush(nullptr);
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(abnormal_exit_code));
  std::abort();
}

}  // namespace test_tool
