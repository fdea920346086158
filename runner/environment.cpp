#include "runner/environment.h"

#include "runner/platform.h"

namespace runner {

std::optional<std::string> ProcessEnvironment::variable(const std::string& name) const {
  return platform::environment_variable(name);
}

unsigned ProcessEnvironment::available_processors() const {
  return platform::available_processors();
}

bool ProcessEnvironment::stdout_is_terminal() const {
  return platform::stdout_is_terminal();
}

}  // namespace runner
