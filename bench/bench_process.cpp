// Starting a child through the process layer (three pipes, environment block,
// drain and wait) against a bare posix_spawn and waitpid of the same program.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include "driver/process.h"

extern char** environ;

namespace {

constexpr const char* program = "/bin/true";

void BM_SpawnThroughLayer(benchmark::State& state) {
  const driver::Command command(program);
  for (auto _ : state) {
    const driver::ProcessOutput output = driver::spawn(command).wait_with_output();
    benchmark::DoNotOptimize(output.exit_code);
  }
}
BENCHMARK(BM_SpawnThroughLayer)->UseRealTime();

void BM_BarePosixSpawn(benchmark::State& state) {
  char* argv[] = {const_cast<char*>(program), nullptr};
  for (auto _ : state) {
    pid_t pid = -1;
    if (::posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("posix_spawn failed");
      break;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    benchmark::DoNotOptimize(status);
  }
}
BENCHMARK(BM_BarePosixSpawn)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
