#include <fcntl.h>
#include <io.h>
#include <windows.h>
// clang-format off: shellapi.h needs windows.h first
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

#include "kiv/os.h"
#include "kiv/quote.h"

namespace kiv::os {
namespace {

// UTF-16 text as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string to_utf8(std::wstring_view text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int bytes =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, result.data(), bytes, nullptr, nullptr);
  return result;
}

std::string path_text(const std::filesystem::path& path) {
  return to_utf8(path.native());
}

std::system_error error_at(const std::string& what, const std::filesystem::path& path,
                           DWORD code = ::GetLastError()) {
  return std::system_error(static_cast<int>(code), std::system_category(),
                           what + " " + quote(path_text(path)));
}

// The variable's value as the process holds it, in UTF-16; nothing when it
// is unset or empty.
std::optional<std::wstring> wide_variable(const char* name) {
  const std::wstring wide_name(name, name + std::char_traits<char>::length(name));  // ASCII
  std::wstring value(256, L'\0');
  for (;;) {
    const DWORD size = ::GetEnvironmentVariableW(wide_name.c_str(), value.data(),
                                                 static_cast<DWORD>(value.size()));
    if (size == 0)
      return std::nullopt;  // unset, or empty
    if (size < value.size()) {
      value.resize(size);
      return value;
    }
    value.resize(size);  // the size needed, with its terminating NUL
  }
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid())
      ::CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

DWORD attributes_of(const std::filesystem::path& path) {
  return ::GetFileAttributesW(path.c_str());
}

bool is_link(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

void prepare_process() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

// The C runtime's argv is in the ANSI code page, which cannot hold every
// character: the arguments are read again from the UTF-16 command line.
std::vector<std::string> arguments(int argc, char** argv) {
  int count = 0;
  std::unique_ptr<LPWSTR, decltype(&::LocalFree)> wide(
      ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
  if (!wide)
    return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> result;
  for (int i = 0; i < count; ++i)
    result.push_back(to_utf8(wide.get()[i]));
  return result;
}

std::optional<std::string> environment_variable(const char* name) {
  auto value = wide_variable(name);
  if (!value)
    return std::nullopt;
  return to_utf8(*value);
}

std::optional<std::filesystem::path> path_variable(const char* name) {
  auto value = wide_variable(name);
  if (!value)
    return std::nullopt;
  return std::filesystem::path(*value);
}

std::optional<std::filesystem::path> home_directory() {
  return path_variable("USERPROFILE");
}

bool is_plain_directory(const std::filesystem::path& path) {
  DWORD attributes = attributes_of(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !is_link(attributes);
}

bool is_symbolic_link(const std::filesystem::path& path) {
  return is_link(attributes_of(path));
}

void create_sentinel(const std::filesystem::path& directory, const std::string& name) {
  if (!is_plain_directory(directory))
    throw error_at("not a plain directory:", directory);
  auto path = directory / name;
  for (int attempt = 0; attempt < 2; ++attempt) {
    Handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.valid())
      return;
    DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      throw error_at("cannot create", path, error);
    }
    DWORD attributes = attributes_of(path);
    if (!is_link(attributes))
      return;  // already set
    BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(path.c_str())
                                                           : ::DeleteFileW(path.c_str());
    if (!removed)
      throw error_at("cannot replace link", path);
  }
  throw error_at("cannot create", path, ERROR_FILE_EXISTS);
}

bool remove_sentinel(const std::filesystem::path& directory, const std::string& name) {
  if (!is_plain_directory(directory))
    throw error_at("not a plain directory:", directory);
  auto path = directory / name;
  DWORD attributes = attributes_of(path);
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return false;
  BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(path.c_str())
                                                         : ::DeleteFileW(path.c_str());
  if (removed)
    return true;
  DWORD error = ::GetLastError();
  if (error == ERROR_FILE_NOT_FOUND)
    return false;
  throw error_at("cannot remove", path, error);
}

void replace_file_atomically(const std::filesystem::path& target, const std::string& content) {
  auto temporary = target;
  temporary += L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
  {
    Handle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
      throw error_at("cannot create a temporary file beside", target);
    DWORD written = 0;
    if (!::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) ||
        written != content.size()) {
      DWORD error = ::GetLastError();
      ::DeleteFileW(temporary.c_str());
      throw error_at("cannot write", target, error);
    }
  }
  if (!::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DWORD error = ::GetLastError();
    ::DeleteFileW(temporary.c_str());
    throw error_at("cannot rename a temporary file over", target, error);
  }
}

std::string read_standard_input() {
  std::string input;
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
    input.append(buffer, got);
  if (std::ferror(stdin))
    throw std::runtime_error("cannot read standard input");
  return input;
}

bool write_standard_output(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
         std::fflush(stdout) == 0;
}

}  // namespace kiv::os
