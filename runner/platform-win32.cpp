#include <windows.h>
// clang-format off: dbghelp.h needs windows.h first
#include <dbghelp.h>
// clang-format on
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <mutex>

#include "runner/platform.h"
#include "runner/utf16.h"

namespace runner::platform {
namespace {

// DbgHelp is single-threaded: every call goes through this lock.
std::mutex& symbol_lock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

std::uint64_t current_thread_id() noexcept {
  return GetCurrentThreadId();
}

void name_current_thread(std::string_view name) noexcept {
  // Windows 10 1607 and later: looked up rather than imported, so that the
  // program still starts on a system without it.
  using SetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  static const auto set_description = reinterpret_cast<SetThreadDescriptionFn>(
      reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"),
                                                    "SetThreadDescription")));
  if (set_description == nullptr)
    return;
  try {
    set_description(GetCurrentThread(), utf16::widen(name).c_str());
  } catch (...) {
    // A thread without a name runs just as well.
  }
}

void use_binary_standard_streams() noexcept {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool stdout_is_terminal() noexcept {
  return _isatty(_fileno(stdout)) != 0;
}

unsigned available_processors() noexcept {
  DWORD_PTR process_mask = 0;
  DWORD_PTR system_mask = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process_mask, &system_mask))
    return 0;
  unsigned count = 0;
  for (; process_mask != 0; process_mask &= process_mask - 1)
    ++count;
  return count;
}

std::optional<std::string> environment_variable(const std::string& name) {
  const std::wstring wide_name = utf16::widen(name);
  std::wstring value(64, L'\0');
  for (;;) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD size = ::GetEnvironmentVariableW(wide_name.c_str(), value.data(),
                                                 static_cast<DWORD>(value.size()));
    if (size == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND)
      return std::nullopt;
    if (size < value.size()) {
      value.resize(size);
      return utf16::narrow(value);
    }
    value.resize(size);  // too small: `size` counts the terminator too
  }
}

std::size_t capture_stack(std::span<void*> frames, std::size_t skip) noexcept {
  return CaptureStackBackTrace(static_cast<DWORD>(skip + 1), static_cast<DWORD>(frames.size()),
                               frames.data(), nullptr);
}

std::vector<std::string> describe_stack(std::span<void* const> frames) {
  std::lock_guard lock(symbol_lock());
  const HANDLE process = GetCurrentProcess();
  static const bool initialised = SymInitialize(process, nullptr, TRUE) != FALSE;
  std::vector<std::string> lines;
  alignas(SYMBOL_INFO) char storage[sizeof(SYMBOL_INFO) + MAX_SYM_NAME];
  auto* symbol = reinterpret_cast<SYMBOL_INFO*>(storage);
  for (void* frame : frames) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", frame);
    std::string line = address;
    symbol->SizeOfStruct = sizeof(SYMBOL_INFO);
    symbol->MaxNameLen = MAX_SYM_NAME;
    DWORD64 displacement = 0;
    if (initialised &&
        SymFromAddr(process, reinterpret_cast<DWORD64>(frame), &displacement, symbol)) {
      line += " ";
      line += symbol->Name;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// Windows sets no per-process limit on open handles to raise.
void raise_open_file_limit() noexcept {}

}  // namespace runner::platform
