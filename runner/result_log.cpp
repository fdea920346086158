#include "runner/result_log.h"

namespace runner {
namespace {

const char* word(Verdict verdict) {
  switch (verdict) {
    case Verdict::passed:
      return "ok";
    case Verdict::failed:
      return "failed";
    case Verdict::ignored:
      return "ignored";
  }
  return "unknown";
}

}  // namespace

void ResultLog::record(const CaseResult& result) {
  if (is_open())
    file_ << word(result.verdict) << ' ' << result.descriptor->name << '\n';
}

bool ResultLog::finish() {
  if (!is_open())
    return true;
  file_.flush();
  return file_.good();
}

}  // namespace runner
