#include <unistd.h>

#include "tests/kiv/support/process_id.h"

namespace kiv_test {

std::uint32_t process_id() noexcept {
  return static_cast<std::uint32_t>(::getpid());
}

}  // namespace kiv_test
