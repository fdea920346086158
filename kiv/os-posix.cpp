#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "kiv/os.h"
#include "kiv/quote.h"

namespace kiv::os {
namespace {

std::system_error error_at(const std::string& what, const std::filesystem::path& path,
                           int code = errno) {
  return std::system_error(code, std::generic_category(), what + " " + quote(path.string()));
}

// An open file descriptor, closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

// Opens `directory` itself; a link standing in its place is refused.
Descriptor open_directory(const std::filesystem::path& directory) {
  int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    throw error_at("cannot open directory", directory);
  return Descriptor(fd);
}

bool write_all(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

void prepare_process() {
  std::signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::optional<std::string> environment_variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0')
    return std::nullopt;
  return std::string(value);
}

std::optional<std::filesystem::path> path_variable(const char* name) {
  auto value = environment_variable(name);
  if (!value)
    return std::nullopt;
  return std::filesystem::path(*value);
}

std::optional<std::filesystem::path> home_directory() {
  return path_variable("HOME");
}

bool is_plain_directory(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool is_symbolic_link(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

void create_sentinel(const std::filesystem::path& directory, const std::string& name) {
  Descriptor dir = open_directory(directory);
  for (int attempt = 0; attempt < 2; ++attempt) {
    Descriptor file(::openat(dir.get(), name.c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (file.valid())
      return;
    if (errno != EEXIST)
      throw error_at("cannot create", directory / name);
    struct stat info {};
    if (::fstatat(dir.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT)
        continue;  // removed meanwhile: try again
      throw error_at("cannot inspect", directory / name);
    }
    if (!S_ISLNK(info.st_mode))
      return;  // already set
    if (::unlinkat(dir.get(), name.c_str(), 0) != 0 && errno != ENOENT) {
      throw error_at("cannot replace link", directory / name);
    }
  }
  throw error_at("cannot create", directory / name, EEXIST);
}

bool remove_sentinel(const std::filesystem::path& directory, const std::string& name) {
  Descriptor dir = open_directory(directory);
  if (::unlinkat(dir.get(), name.c_str(), 0) == 0)
    return true;
  if (errno == ENOENT)
    return false;
  if (errno == EISDIR || errno == EPERM) {
    if (::unlinkat(dir.get(), name.c_str(), AT_REMOVEDIR) == 0)
      return true;
  }
  throw error_at("cannot remove", directory / name);
}

void replace_file_atomically(const std::filesystem::path& target, const std::string& content) {
  std::string temporary = target.string() + ".XXXXXX";
  Descriptor file(::mkstemp(temporary.data()));
  if (!file.valid())
    throw error_at("cannot create a temporary file beside", target);
  auto fail = [&](const char* what) {
    int error = errno;
    ::unlink(temporary.c_str());
    return error_at(what, target, error);
  };
  if (::fchmod(file.get(), 0644) != 0)
    throw fail("cannot set the mode of a temporary file for");
  if (!write_all(file.get(), content.data(), content.size()))
    throw fail("cannot write");
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    throw fail("cannot rename a temporary file over");
  }
}

std::string read_standard_input() {
  std::string input;
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      throw std::system_error(errno, std::generic_category(), "cannot read standard input");
    if (got == 0)
      return input;
    input.append(buffer, static_cast<size_t>(got));
  }
}

bool write_standard_output(const std::string& text) {
  return write_all(STDOUT_FILENO, text.data(), text.size());
}

}  // namespace kiv::os
