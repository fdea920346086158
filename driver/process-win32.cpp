// Windows children: CreateProcessW with an explicit list of inherited handles,
// so a child started on one thread never inherits another child's pipe ends.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "driver/child_platform.h"
#include "driver/process.h"
#include "driver/process_error.h"
#include "runner/utf16.h"

namespace driver {
namespace {

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) noexcept : handle_(handle) {}
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~Handle() { reset(); }

  HANDLE get() const noexcept { return handle_; }
  bool is_open() const noexcept { return handle_ != nullptr; }
  void reset() noexcept {
    if (handle_ != nullptr)
      ::CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

using runner::utf16::widen;

// Quotes one argument so that CommandLineToArgvW reads it back unchanged.
void append_quoted(std::wstring& line, const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

std::wstring command_line(const Command& command) {
  std::wstring line;
  append_quoted(line, command.program().native());
  for (const auto& arg : command.args()) {
    line += L' ';
    append_quoted(line, widen(arg));
  }
  return line;
}

std::wstring_view variable_name(std::wstring_view entry) {
  return entry.substr(0, entry.find(L'=', 1));  // "=C:=C:\\" names start with '='
}

bool same_name(std::wstring_view a, std::wstring_view b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The inherited environment with the overrides and removals applied, sorted by
// name without regard to case, as a double-NUL-terminated block.
std::wstring environment_block(const Command& command) {
  std::vector<std::wstring> entries;
  std::vector<std::wstring> names;
  for (const auto& [name, value] : command.env_overrides()) {
    names.push_back(widen(name));
    entries.push_back(names.back() + L'=' + widen(value));
  }
  for (const auto& name : command.env_removals())
    names.push_back(widen(name));
  if (wchar_t* inherited = ::GetEnvironmentStringsW()) {
    for (const wchar_t* entry = inherited; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
      const auto overridden = [&](const std::wstring& name) {
        return same_name(name, variable_name(entry));
      };
      if (std::none_of(names.begin(), names.end(), overridden))
        entries.emplace_back(entry);
    }
    ::FreeEnvironmentStringsW(inherited);
  }
  std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
    const auto x = variable_name(a), y = variable_name(b);
    return ::CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                  static_cast<int>(y.size()), TRUE) == CSTR_LESS_THAN;
  });
  std::wstring block;
  for (const auto& entry : entries)
    block.append(entry).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

struct Pipe {
  Handle read_end;
  Handle write_end;
};

// A pipe whose end for the child alone is inheritable.
Pipe make_pipe(bool child_reads, const std::filesystem::path& program) {
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, nullptr, 0)) {
    throw process_error(static_cast<int>(::GetLastError()), "create pipes for", program);
  }
  Pipe pipe{Handle(read_end), Handle(write_end)};
  const HANDLE child_end = child_reads ? read_end : write_end;
  if (!::SetHandleInformation(child_end, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) {
    throw process_error(static_cast<int>(::GetLastError()), "create pipes for", program);
  }
  return pipe;
}

// Reads a pipe to its end; returns the error code, 0 at a clean end.
DWORD read_to_end(HANDLE pipe, std::string& sink) {
  char buffer[64 * 1024];
  for (;;) {
    DWORD count = 0;
    if (!::ReadFile(pipe, buffer, sizeof buffer, &count, nullptr)) {
      const DWORD error = ::GetLastError();
      return error == ERROR_BROKEN_PIPE ? 0 : error;
    }
    if (count == 0)
      return 0;
    sink.append(buffer, count);
  }
}

// The attribute list that limits what a child inherits to its three pipe ends,
// deleted with the list.
class AttributeList {
 public:
  AttributeList(HANDLE (&inherited)[3], const std::filesystem::path& program) {
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    if (!::InitializeProcThreadAttributeList(get(), 1, 0, &size))
      throw process_error(static_cast<int>(::GetLastError()), "start", program);
    if (!::UpdateProcThreadAttribute(get(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                     sizeof inherited, nullptr, nullptr)) {
      const DWORD error = ::GetLastError();
      ::DeleteProcThreadAttributeList(get());
      throw process_error(static_cast<int>(error), "start", program);
    }
  }
  AttributeList(const AttributeList&) = delete;
  AttributeList& operator=(const AttributeList&) = delete;
  ~AttributeList() { ::DeleteProcThreadAttributeList(get()); }

  LPPROC_THREAD_ATTRIBUTE_LIST get() noexcept {
    return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
  }

 private:
  std::vector<char> storage_;
};

}  // namespace

struct Child::State {
  std::filesystem::path program;
  Handle process;
  bool reaped = false;
  Handle stdin_pipe;
  Handle stdout_pipe;
  Handle stderr_pipe;
};

void Child::StateDeleter::operator()(State* state) const noexcept {
  delete state;
}

void child_platform::kill(Child::State& state) noexcept {
  if (!state.reaped)
    ::TerminateProcess(state.process.get(), 1);
}

void child_platform::close_pipes(Child::State& state) noexcept {
  state.stdin_pipe.reset();
  state.stdout_pipe.reset();
  state.stderr_pipe.reset();
}

void child_platform::reap_quietly(Child::State& state) noexcept {
  if (!state.reaped)
    ::WaitForSingleObject(state.process.get(), INFINITE);
  state.reaped = true;
}

void Child::write_stdin(std::string_view bytes) {
  State& state = *state_;
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
    DWORD written = 0;
    if (!::WriteFile(state.stdin_pipe.get(), bytes.data(), chunk, &written, nullptr)) {
      throw process_error(static_cast<int>(::GetLastError()), "write to the standard input of",
                          state.program);
    }
    bytes.remove_prefix(written);
  }
}

ProcessOutput Child::wait_with_output() {
  State& state = *state_;
  state.stdin_pipe.reset();
  ProcessOutput output;
  DWORD stderr_error = 0;
  std::thread stderr_reader(
      [&] { stderr_error = read_to_end(state.stderr_pipe.get(), output.stderr_bytes); });
  const DWORD stdout_error =
      state.stdout_pipe.is_open() ? read_to_end(state.stdout_pipe.get(), output.stdout_bytes) : 0;
  stderr_reader.join();
  state.stdout_pipe.reset();
  state.stderr_pipe.reset();
  if (const DWORD error = stdout_error ? stdout_error : stderr_error) {
    throw process_error(static_cast<int>(error), "read the output of", state.program);
  }

  DWORD exit_code = 0;
  if (::WaitForSingleObject(state.process.get(), INFINITE) != WAIT_OBJECT_0 ||
      !::GetExitCodeProcess(state.process.get(), &exit_code)) {
    throw process_error(static_cast<int>(::GetLastError()), "wait for", state.program);
  }
  state.reaped = true;
  output.exit_code = static_cast<std::int32_t>(exit_code);
  return output;
}

void Child::close_stdout() noexcept {
  state_->stdout_pipe.reset();
}

Child spawn(const Command& command) {
  const std::filesystem::path& program = command.program();
  Pipe in = make_pipe(true, program);
  Pipe out = make_pipe(false, program);
  Pipe err = make_pipe(false, program);
  HANDLE inherited[] = {in.read_end.get(), out.write_end.get(), err.write_end.get()};

  AttributeList attributes(inherited, program);

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = inherited[0];
  startup.StartupInfo.hStdOutput = inherited[1];
  startup.StartupInfo.hStdError = inherited[2];
  startup.lpAttributeList = attributes.get();

  auto state = std::make_unique<Child::State>();
  state->program = program;
  std::wstring line = command_line(command);
  std::wstring environment = environment_block(command);
  PROCESS_INFORMATION info{};
  const BOOL started =
      ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT | EXTENDED_STARTUPINFO_PRESENT | CREATE_NO_WINDOW,
                       environment.data(), nullptr, &startup.StartupInfo, &info);
  const DWORD error = ::GetLastError();
  if (!started)
    throw process_error(static_cast<int>(error), "start", program);
  ::CloseHandle(info.hThread);
  state->process = Handle(info.hProcess);
  state->stdin_pipe = std::move(in.write_end);
  state->stdout_pipe = std::move(out.read_end);
  state->stderr_pipe = std::move(err.read_end);
  return Child(state.release());
}

}  // namespace driver
