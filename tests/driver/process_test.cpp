#include "driver/process.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

#include "tests/driver/test_support.h"
#include "tests/support/test_tool.h"

namespace driver {
namespace {

using driver_test::echo_report;
using driver_test::EchoRun;
using driver_test::has_child_process;

TEST(Process, ChildGetsArgumentsInputAndEnvironmentExactly) {
  const char* own_home = std::getenv("HOME");
  const std::string input("line one\nline two\0with a nul\n", 29);
  Command command(ECHO_TOOL);
  command.arg("first").arg("two words").arg("").arg("w\xc3\xb6rd \"quoted\" \\\\");
  command.env("HOME", "/first/home").env("USERPROFILE", "/users/x").env("HOME", "/second home");

  Child child = spawn(command);
  child.write_stdin(input);
  const ProcessOutput output = child.wait_with_output();

  EchoRun expected{.args = {"first", "two words", "", "w\xc3\xb6rd \"quoted\" \\\\"},
                   .home = "/second home",
                   .userprofile = "/users/x",
                   .input = input};
  EXPECT_EQ(output.stdout_bytes, echo_report(expected));
  EXPECT_EQ(output.stderr_bytes, input);
  EXPECT_EQ(output.exit_code, 0);
  EXPECT_STREQ(std::getenv("HOME"), own_home) << "the override must not reach this process";
}

// An unset variable is gone from the child alone, whether inherited or set
// earlier on the same command; a later env() sets it again.
TEST(Process, UnsetRemovesAVariableFromTheChildOnly) {
  Command command(ECHO_TOOL);
  command.unset("KIV_SESSION_ID").env("HOME", "/home/x").unset("HOME");
  command.unset("USERPROFILE").env("USERPROFILE", "/users/back");

  Child child = spawn(command);
  const ProcessOutput output = child.wait_with_output();

  EXPECT_EQ(output.stdout_bytes,
            echo_report({.userprofile = "/users/back", .session_id = "<unset>"}));
  EXPECT_EQ(output.exit_code, 0);
  EXPECT_STREQ(std::getenv("KIV_SESSION_ID"), driver_test::outer_session_id);
}

// A killed child has no exit code on POSIX; on Windows it has the one it was
// ended with.
TEST(Process, ExitStatusIsTheCodeOrEmptyWhenKilled) {
#ifdef _WIN32
  const std::optional<std::int32_t> killed = test_tool::abnormal_exit_code;
#else
  const std::optional<std::int32_t> killed;
#endif
  const struct {
    const char* mode;
    std::optional<std::int32_t> code;
  } cases[] = {{"exit-0", 0}, {"exit-1", 1}, {"exit-2", 2}, {"killed", killed}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    Child child = spawn(Command(STUB_TOOL).arg(c.mode));
    EXPECT_EQ(child.wait_with_output().exit_code, c.code);
  }
}

TEST(Process, TenMegabytesOnEachStreamArriveWhole) {
  constexpr std::size_t size = 10 * 1024 * 1024;
  Child child = spawn(Command(STUB_TOOL).arg("flood"));
  const ProcessOutput output = child.wait_with_output();

  ASSERT_EQ(output.stdout_bytes.size(), size);
  ASSERT_EQ(output.stderr_bytes.size(), size);
  EXPECT_EQ(std::count(output.stdout_bytes.begin(), output.stdout_bytes.end(), 'o'), size);
  EXPECT_EQ(std::count(output.stderr_bytes.begin(), output.stderr_bytes.end(), 'e'), size);
  EXPECT_EQ(output.exit_code, 0);
}

// With standard output closed at once the child's writes there fail, and
// standard error still arrives whole.
TEST(Process, ClosedStdoutLeavesStderrToDrain) {
  constexpr std::size_t size = 10 * 1024 * 1024;
  Child child = spawn(Command(STUB_TOOL).arg("flood"));
  child.close_stdout();
  const ProcessOutput output = child.wait_with_output();

  EXPECT_EQ(output.stdout_bytes, "");
  EXPECT_EQ(output.stderr_bytes.size(), size);
}

TEST(Process, WriteToChildThatClosedItsInputIsAnErrorNotASignal) {
  const std::string more_than_a_pipe_holds(1024 * 1024, 'x');
  {
    Child child = spawn(Command(STUB_TOOL).arg("no-read"));
    try {
      child.write_stdin(more_than_a_pipe_holds);
      FAIL() << "the write should fail";
    } catch (const std::system_error& error) {
      EXPECT_EQ(error.code(), std::errc::broken_pipe) << error.what();
      EXPECT_NE(std::string(error.what()).find(STUB_TOOL), std::string::npos) << error.what();
    }
  }

#ifndef _WIN32
  sigset_t pending;
  sigpending(&pending);
  EXPECT_FALSE(sigismember(&pending, SIGPIPE)) << "SIGPIPE left pending";
  sigset_t mask;
  pthread_sigmask(SIG_SETMASK, nullptr, &mask);
  EXPECT_FALSE(sigismember(&mask, SIGPIPE)) << "SIGPIPE left blocked";
#endif
  EXPECT_FALSE(has_child_process());
}

TEST(Process, ChildNeverWaitedForIsKilledAndReaped) {
  {
    // The echo tool reads its input to the end, which never comes.
    Child child = spawn(Command(ECHO_TOOL));
    Child moved = std::move(child);
  }
  EXPECT_FALSE(has_child_process());
}

TEST(Process, ProgramOnAPathWithSpacesAndNonAsciiCharactersStarts) {
  driver_test::TempDir scratch;
  const std::filesystem::path copy =
      scratch.path() / std::filesystem::path(u8"w\u00ebrk \u00fc") /
      std::filesystem::path(ECHO_TOOL).filename();
  std::filesystem::create_directory(copy.parent_path());
  std::filesystem::copy_file(ECHO_TOOL, copy);

  Child child = spawn(Command(copy).arg("x"));
  const ProcessOutput output = child.wait_with_output();
  EXPECT_EQ(output.stdout_bytes.rfind("argc=1\narg=x\n", 0), 0u) << output.stdout_bytes;
  EXPECT_EQ(output.exit_code, 0);
}

TEST(Process, ProgramThatCannotStartIsAnErrorNamingIt) {
  driver_test::TempDir scratch;
  const std::filesystem::path text_file = scratch.path() / "not-a-program.exe";
  std::ofstream(text_file) << "plain text\n";
  const struct {
    std::filesystem::path program;
    std::errc error;
  } cases[] = {
      {scratch.path() / "missing" / "hook_chain_tool", std::errc::no_such_file_or_directory},
#ifdef _WIN32
      {text_file, std::errc::executable_format_error},
#else
      {text_file, std::errc::permission_denied},
#endif
  };
  for (const auto& c : cases) {
    const std::string program = path_text(c.program);
    SCOPED_TRACE(program);
    try {
      spawn(Command(c.program));
      ADD_FAILURE() << "spawn should fail";
    } catch (const std::system_error& error) {
      EXPECT_EQ(error.code(), c.error) << error.what();
      EXPECT_EQ(std::string(error.what()).rfind("cannot start " + program, 0), 0) << error.what();
    }
  }
  EXPECT_FALSE(has_child_process());
}

}  // namespace
}  // namespace driver
