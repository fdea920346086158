#include "kiv/clock.h"

#include <chrono>

namespace kiv {

std::int64_t seconds_since_epoch() {
  using namespace std::chrono;
  return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace kiv
