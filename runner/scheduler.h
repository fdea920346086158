// Runs the selected cases, each on a worker thread of its own, at most
// `workers` at once, started in selection order. Every event is delivered on
// the calling thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <span>

#include "runner/case_execution.h"
#include "runner/selection.h"

namespace runner {

class SchedulerEvents {
 public:
  virtual ~SchedulerEvents() = default;
  virtual void case_started(const CaseDescriptor& descriptor) = 0;
  virtual void case_finished(CaseResult result) = 0;
  // Once per case still running `after` its start.
  virtual void case_running_long(const CaseDescriptor& descriptor,
                                 std::chrono::milliseconds after) = 0;
};

// What a worker thread does with its case.
using CaseJob = std::function<CaseResult(const CaseDescriptor&)>;

// Returns when every case has finished. Cases not to be run are reported as
// ignored in their turn, without a worker.
void run_cases(std::span<const SelectedCase> cases, std::size_t workers,
               std::chrono::milliseconds slow_after, const CaseJob& job, SchedulerEvents& events);

}  // namespace runner
