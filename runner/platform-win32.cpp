#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// clang-format off: dbghelp.h needs windows.h first
#include <dbghelp.h>
// clang-format on
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "runner/platform.h"

#pragma comment(lib, "dbghelp.lib")

namespace runner::platform {
namespace {

std::wstring widen(std::string_view text) {
  if (text.empty())
    return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

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
  try {
    SetThreadDescription(GetCurrentThread(), widen(name).c_str());
  } catch (...) {
    // A thread without a name runs just as well.
  }
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
  char* value = nullptr;
  std::size_t size = 0;
  if (_dupenv_s(&value, &size, name.c_str()) != 0 || value == nullptr)
    return std::nullopt;
  std::string result(value);
  std::free(value);
  return result;
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
