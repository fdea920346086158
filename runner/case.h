// A case descriptor: what the runner knows of one case. The runner never looks
// inside a body; it calls the entry and reads its outcome.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace runner {

enum class CaseKind { unit, integration, documentation };

// Where a case is defined: informative only.
struct SourcePosition {
  std::string_view file;
  std::uint32_t line = 0;
  std::uint32_t first_column = 0;
  std::uint32_t last_column = 0;
};

// What a body entry reports when it returns. A failed check never returns: it
// throws runner::Failure (see failure.h).
enum class CaseOutcome { passed };

using CaseEntry = CaseOutcome (*)();

// Wraps a plain `void()` case body into a body entry.
template <void (*Body)()>
CaseOutcome adapt() {
  Body();
  return CaseOutcome::passed;
}

struct CaseDescriptor {
  std::string_view name;
  bool ignore = false;
  std::string_view ignore_message;  // empty when there is none
  SourcePosition position;
  bool should_fail = false;  // passes only by failing
  bool compile_only = false;
  bool build_only = false;
  CaseKind kind = CaseKind::integration;
  CaseEntry entry = nullptr;
};

// A fixed table of descriptors, in the order the runner starts them.
using Registry = std::span<const CaseDescriptor* const>;

}  // namespace runner
