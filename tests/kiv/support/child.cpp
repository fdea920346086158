#include "tests/kiv/support/child.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>

extern char** environ;

namespace kiv_test {
namespace {

[[noreturn]] void fail(const std::string& what, int code = errno) {
  throw std::system_error(code, std::generic_category(), what);
}

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// Close-on-exec, so that children started by other threads do not keep our
// pipes open.
std::pair<int, int> make_pipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0)
    fail("pipe2");
  return {fds[0], fds[1]};
}

struct Pipe {
  explicit Pipe(std::pair<int, int> fds = make_pipe()) : read(fds.first), write(fds.second) {}
  Fd read;
  Fd write;
};

std::vector<std::string> child_environment(const ChildOptions& options) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text(*entry);
    bool overridden = false;
    for (const auto& [name, value] : options.env) {
      if (text.compare(0, name.size() + 1, name + "=") == 0)
        overridden = true;
    }
    if (!overridden)
      env.push_back(text);
  }
  for (const auto& [name, value] : options.env) {
    if (value)
      env.push_back(name + "=" + *value);
  }
  return env;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (auto& text : texts)
    result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

const bool kIgnoreBrokenPipe = [] {
  std::signal(SIGPIPE, SIG_IGN);
  return true;
}();

}  // namespace

ChildResult run_child(const std::string& program, const ChildOptions& options) {
  (void)kIgnoreBrokenPipe;
  Pipe in;
  Pipe out;
  Pipe err;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in.read.get(), 0);
  posix_spawn_file_actions_adddup2(&actions, out.write.get(), 1);
  posix_spawn_file_actions_adddup2(&actions, err.write.get(), 2);

  std::vector<std::string> argv_texts{program};
  argv_texts.insert(argv_texts.end(), options.args.begin(), options.args.end());
  auto argv = pointers(argv_texts);
  auto env_texts = child_environment(options);
  auto envp = pointers(env_texts);

  pid_t pid = 0;
  int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0)
    fail("cannot start " + program, spawned);
  in.read.reset();
  out.write.reset();
  err.write.reset();
  if (options.close_stdout)
    out.read.reset();

  ChildResult result;
  size_t written = 0;
  ::fcntl(in.write.get(), F_SETFL, O_NONBLOCK);
  if (options.input.empty())
    in.write.reset();
  char buffer[65536];
  while (in.write.get() >= 0 || out.read.get() >= 0 || err.read.get() >= 0) {
    pollfd fds[3] = {
        {in.write.get(), POLLOUT, 0}, {out.read.get(), POLLIN, 0}, {err.read.get(), POLLIN, 0}};
    if (::poll(fds, 3, -1) < 0) {
      if (errno == EINTR)
        continue;
      fail("poll");
    }
    if (fds[0].revents != 0) {
      ssize_t n =
          ::write(in.write.get(), options.input.data() + written, options.input.size() - written);
      if (n < 0 && errno != EINTR && errno != EAGAIN) {
        in.write.reset();  // the child stopped reading
      } else if (n > 0) {
        written += static_cast<size_t>(n);
        if (written == options.input.size())
          in.write.reset();
      }
    }
    std::pair<Fd*, std::string*> streams[2] = {{&out.read, &result.out}, {&err.read, &result.err}};
    for (int i = 0; i < 2; ++i) {
      if (fds[i + 1].revents == 0)
        continue;
      ssize_t n = ::read(streams[i].first->get(), buffer, sizeof buffer);
      if (n > 0) {
        streams[i].second->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        streams[i].first->reset();
      }
    }
  }

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      fail("waitpid");
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace kiv_test
