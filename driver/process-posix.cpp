// POSIX children: posix_spawn with close-on-exec pipes, so a child started on
// one thread never inherits the pipe ends of a child started on another.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <utility>

#include "driver/child_platform.h"
#include "driver/process.h"
#include "driver/process_error.h"

extern char** environ;

namespace driver {
namespace {

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) noexcept : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~Fd() { reset(); }

  int get() const noexcept { return fd_; }
  bool is_open() const noexcept { return fd_ >= 0; }
  void reset() noexcept {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

struct Pipe {
  Fd read_end;
  Fd write_end;
};

Pipe make_pipe(const std::filesystem::path& program) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0)
    throw process_error(errno, "create pipes for", program);
  return {Fd(ends[0]), Fd(ends[1])};
}

void check_spawn_setup(int result, const std::filesystem::path& program) {
  if (result != 0)
    throw process_error(result, "start", program);
}

// Puts the child's pipe ends on its standard streams. The pipes themselves are
// close-on-exec, so only descriptors 0, 1 and 2 survive into the child.
class FileActions {
 public:
  FileActions(const Pipe& in, const Pipe& out, const Pipe& err,
              const std::filesystem::path& program) {
    check_spawn_setup(::posix_spawn_file_actions_init(&actions_), program);
    check_spawn_setup(dup_onto(in.read_end, STDIN_FILENO), program);
    check_spawn_setup(dup_onto(out.write_end, STDOUT_FILENO), program);
    check_spawn_setup(dup_onto(err.write_end, STDERR_FILENO), program);
  }
  ~FileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;

  const posix_spawn_file_actions_t* get() const noexcept { return &actions_; }

 private:
  int dup_onto(const Fd& fd, int target) {
    return ::posix_spawn_file_actions_adddup2(&actions_, fd.get(), target);
  }
  posix_spawn_file_actions_t actions_;
};

// The child starts with no blocked signal and SIGPIPE at its default action,
// whatever the starting thread has.
class SpawnAttributes {
 public:
  explicit SpawnAttributes(const std::filesystem::path& program) {
    check_spawn_setup(::posix_spawnattr_init(&attributes_), program);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    check_spawn_setup(::posix_spawnattr_setsigmask(&attributes_, &none), program);
    check_spawn_setup(::posix_spawnattr_setsigdefault(&attributes_, &defaults), program);
    check_spawn_setup(
        ::posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF),
        program);
  }
  ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;

  const posix_spawnattr_t* get() const noexcept { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

// The inherited environment with the command's variables replacing, added or
// removed.
std::vector<std::string> child_environment(const Command& command) {
  const auto& overrides = command.env_overrides();
  const auto& removals = command.env_removals();
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const std::string_view name = text.substr(0, text.find('='));
    const bool overridden = std::any_of(overrides.begin(), overrides.end(),
                                        [&](const auto& item) { return item.first == name; });
    const bool removed = std::find(removals.begin(), removals.end(), name) != removals.end();
    if (!overridden && !removed)
      entries.emplace_back(text);
  }
  for (const auto& [name, value] : overrides)
    entries.push_back(name + '=' + value);
  return entries;
}

std::vector<std::string> child_arguments(const Command& command) {
  std::vector<std::string> arguments{command.program().native()};
  arguments.insert(arguments.end(), command.args().begin(), command.args().end());
  return arguments;
}

std::vector<char*> c_array(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  pointers.reserve(texts.size() + 1);
  for (auto& text : texts)
    pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Holds SIGPIPE back in the calling thread while it writes to a pipe, so a
// reader that went away shows as EPIPE and never ends the process.
class SigpipeHeldBack {
 public:
  SigpipeHeldBack() noexcept {
    sigemptyset(&sigpipe_);
    sigaddset(&sigpipe_, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &sigpipe_, &previous_mask_);
    sigset_t pending;
    ::sigpending(&pending);
    was_pending_ = sigismember(&pending, SIGPIPE) == 1;
  }
  ~SigpipeHeldBack() { ::pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr); }
  SigpipeHeldBack(const SigpipeHeldBack&) = delete;
  SigpipeHeldBack& operator=(const SigpipeHeldBack&) = delete;

  // Takes the SIGPIPE that a failed write raised, so unblocking does not deliver it.
  void discard_raised() noexcept {
    if (was_pending_)
      return;
    const timespec no_wait{};
    while (::sigtimedwait(&sigpipe_, nullptr, &no_wait) < 0 && errno == EINTR) {
    }
  }

 private:
  sigset_t sigpipe_;
  sigset_t previous_mask_;
  bool was_pending_ = false;
};

using Buffer = std::array<char, 64 * 1024>;

// Reads what poll reported ready; closes the descriptor at its end.
void read_ready(const pollfd& polled, Fd& fd, std::string& sink, Buffer& buffer,
                const std::filesystem::path& program) {
  if (polled.fd < 0 || polled.revents == 0)
    return;
  const ssize_t count = ::read(fd.get(), buffer.data(), buffer.size());
  if (count > 0) {
    sink.append(buffer.data(), static_cast<std::size_t>(count));
  } else if (count == 0) {
    fd.reset();
  } else if (errno != EINTR && errno != EAGAIN) {
    throw process_error(errno, "read the output of", program);
  }
}

}  // namespace

struct Child::State {
  std::filesystem::path program;
  pid_t pid = -1;
  bool reaped = false;
  Fd stdin_fd;
  Fd stdout_fd;
  Fd stderr_fd;
};

namespace {

// Waits for the child's exit; empty when a signal ended it.
std::optional<std::int32_t> reap(Child::State& state) {
  int status = 0;
  while (::waitpid(state.pid, &status, 0) < 0) {
    if (errno == EINTR)
      continue;
    // The pid is no longer ours to wait on, nor to signal.
    state.reaped = true;
    throw process_error(errno, "wait for", state.program);
  }
  state.reaped = true;
  if (WIFEXITED(status))
    return WEXITSTATUS(status);
  return std::nullopt;
}

}  // namespace

void Child::StateDeleter::operator()(State* state) const noexcept {
  delete state;
}

void child_platform::kill(Child::State& state) noexcept {
  if (!state.reaped)
    ::kill(state.pid, SIGKILL);
}

void child_platform::close_pipes(Child::State& state) noexcept {
  state.stdin_fd.reset();
  state.stdout_fd.reset();
  state.stderr_fd.reset();
}

void child_platform::reap_quietly(Child::State& state) noexcept {
  if (state.reaped)
    return;
  try {
    reap(state);
  } catch (const std::system_error&) {
  }
}

void Child::write_stdin(std::string_view bytes) {
  State& state = *state_;
  if (!state.stdin_fd.is_open()) {
    throw process_error(EBADF, "write to the standard input of", state.program);
  }
  SigpipeHeldBack held_back;
  while (!bytes.empty()) {
    const ssize_t count = ::write(state.stdin_fd.get(), bytes.data(), bytes.size());
    if (count >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(count));
      continue;
    }
    const int error = errno;
    if (error == EINTR)
      continue;
    if (error == EPIPE)
      held_back.discard_raised();
    throw process_error(error, "write to the standard input of", state.program);
  }
}

ProcessOutput Child::wait_with_output() {
  State& state = *state_;
  state.stdin_fd.reset();
  ProcessOutput output;
  Buffer buffer;
  while (state.stdout_fd.is_open() || state.stderr_fd.is_open()) {
    std::array<pollfd, 2> polled{
        {{state.stdout_fd.get(), POLLIN, 0}, {state.stderr_fd.get(), POLLIN, 0}}};
    if (::poll(polled.data(), polled.size(), -1) < 0) {
      if (errno == EINTR)
        continue;
      throw process_error(errno, "read the output of", state.program);
    }
    read_ready(polled[0], state.stdout_fd, output.stdout_bytes, buffer, state.program);
    read_ready(polled[1], state.stderr_fd, output.stderr_bytes, buffer, state.program);
  }
  output.exit_code = reap(state);
  return output;
}

void Child::close_stdout() noexcept {
  state_->stdout_fd.reset();
}

Child spawn(const Command& command) {
  const std::filesystem::path& program = command.program();
  Pipe in = make_pipe(program);
  Pipe out = make_pipe(program);
  Pipe err = make_pipe(program);
  const FileActions actions(in, out, err, program);
  const SpawnAttributes attributes(program);
  std::vector<std::string> arguments = child_arguments(command);
  std::vector<std::string> environment = child_environment(command);
  const std::vector<char*> argv = c_array(arguments);
  const std::vector<char*> envp = c_array(environment);

  auto state = std::make_unique<Child::State>();
  state->program = program;
  const int result = ::posix_spawn(&state->pid, program.c_str(), actions.get(), attributes.get(),
                                   argv.data(), envp.data());
  if (result != 0)
    throw process_error(result, "start", program);

  state->stdin_fd = std::move(in.write_end);
  state->stdout_fd = std::move(out.read_end);
  state->stderr_fd = std::move(err.read_end);
  return Child(state.release());
}

}  // namespace driver
