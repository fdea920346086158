#include "runner/worker_count.h"

#include "runner/whole_number.h"

namespace runner {

std::variant<std::size_t, std::string> resolve_worker_count(const Options& options,
                                                            const Environment& env) {
  if (options.test_threads)
    return *options.test_threads;
  if (const auto value = env.variable(test_threads_variable)) {
    const auto parsed = parse_whole_number(*value);
    const auto* count = std::get_if<std::size_t>(&parsed);
    if (count == nullptr || *count == 0) {
      return std::string(test_threads_variable) + " must be a positive whole number (was " +
             *value + ")";
    }
    return *count;
  }
  const unsigned processors = env.available_processors();
  return processors > 0 ? std::size_t{processors} : std::size_t{1};
}

}  // namespace runner
