// The plain log --logfile writes: one "ok NAME", "failed NAME" or
// "ignored NAME" line per case, in order of completion.
#pragma once

#include <fstream>
#include <string>

#include "runner/case_execution.h"

namespace runner {

class ResultLog {
 public:
  // An unopened log: writes nothing.
  ResultLog() = default;
  // Creates or truncates the file; `is_open` tells whether that worked.
  explicit ResultLog(const std::string& path) : file_(path, std::ios::out | std::ios::trunc) {}

  bool is_open() const { return file_.is_open(); }
  void record(const CaseResult& result);
  // Flushes; false when some line could not be written.
  bool finish();

 private:
  std::ofstream file_;
};

}  // namespace runner
