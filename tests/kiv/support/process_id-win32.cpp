#include <windows.h>

#include "tests/kiv/support/process_id.h"

namespace kiv_test {

std::uint32_t process_id() noexcept {
  return ::GetCurrentProcessId();
}

}  // namespace kiv_test
