// The id of this test process, as an agent's record names its owner.
#pragma once

#include <cstdint>

namespace kiv_test {

std::uint32_t process_id() noexcept;

}  // namespace kiv_test
