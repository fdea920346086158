#include "runner/scheduler.h"

#include <algorithm>
#include <list>
#include <thread>

#include "runner/completion_queue.h"

namespace runner {
namespace {

using Clock = CompletionQueue::Clock;

struct Running {
  std::size_t slot = 0;
  const CaseDescriptor* descriptor = nullptr;
  Clock::time_point slow_at;
  bool announced = false;
  std::jthread thread;
};

// The job's result; a runner fault inside the job fails the case, it never
// ends the process.
CaseResult run_job(const CaseJob& job, const CaseDescriptor& descriptor) {
  try {
    return job(descriptor);
  } catch (const std::exception& e) {
    return {&descriptor, Verdict::failed, std::string("runner error: ") + e.what() + "\n"};
  } catch (...) {
    return {&descriptor, Verdict::failed, "runner error\n"};
  }
}

std::optional<Clock::time_point> next_announcement(const std::list<Running>& running) {
  std::optional<Clock::time_point> earliest;
  for (const Running& r : running) {
    if (!r.announced && (!earliest || r.slow_at < *earliest))
      earliest = r.slow_at;
  }
  return earliest;
}

}  // namespace

void run_cases(std::span<const SelectedCase> cases, std::size_t workers,
               std::chrono::milliseconds slow_after, const CaseJob& job, SchedulerEvents& events) {
  // Declared before the threads, so that it outlives them even when a thread
  // cannot be started and the running ones are joined on the way out.
  CompletionQueue completions;
  std::list<Running> running;
  std::size_t next = 0;

  while (next < cases.size() || !running.empty()) {
    while (next < cases.size() && running.size() < std::max<std::size_t>(workers, 1)) {
      const std::size_t slot = next++;
      const CaseDescriptor& descriptor = *cases[slot].descriptor;
      events.case_started(descriptor);
      if (!cases[slot].run) {
        events.case_finished({&descriptor, Verdict::ignored, {}});
        continue;
      }
      Running& started = running.emplace_back();
      started.slot = slot;
      started.descriptor = &descriptor;
      started.slow_at = Clock::now() + slow_after;
      try {
        started.thread = std::jthread([&completions, &job, &descriptor, slot] {
          completions.push({slot, run_job(job, descriptor)});
        });
      } catch (...) {
        running.pop_back();  // never started: nothing will complete it
        throw;
      }
    }
    if (running.empty())
      continue;

    if (auto completion = completions.pop(next_announcement(running))) {
      const auto done = std::find_if(running.begin(), running.end(),
                                     [&](const Running& r) { return r.slot == completion->slot; });
      done->thread.join();
      running.erase(done);
      events.case_finished(std::move(completion->result));
      continue;
    }
    const auto now = Clock::now();
    for (Running& r : running) {
      if (!r.announced && r.slow_at <= now) {
        r.announced = true;
        events.case_running_long(*r.descriptor, slow_after);
      }
    }
  }
}

}  // namespace runner
