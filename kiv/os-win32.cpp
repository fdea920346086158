#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "kiv/os.h"
#include "kiv/quote.h"

namespace kiv::os {
namespace {

std::system_error error_at(const std::string& what, const std::filesystem::path& path,
                           DWORD code = ::GetLastError()) {
  return std::system_error(static_cast<int>(code), std::system_category(),
                           what + " " + quote(path.string()));
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
}

std::optional<std::string> environment_variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0')
    return std::nullopt;
  return std::string(value);
}

std::optional<std::filesystem::path> home_directory() {
  auto home = environment_variable("USERPROFILE");
  if (!home)
    return std::nullopt;
  return std::filesystem::path(*home);
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
