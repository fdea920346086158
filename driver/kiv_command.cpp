#include "driver/kiv_command.h"

#include "driver/path_text.h"

namespace driver {

Command sandbox_command(const std::filesystem::path& program, const std::filesystem::path& home) {
  Command command(program);
  command.env("HOME", path_text(home));
  command.env("USERPROFILE", path_text(home));
  command.env("RUZ_HOME", path_text(home / ".ruz"));
  return command;
}

Command kiv_command(const std::filesystem::path& home) {
  return sandbox_command(kiv_executable(), home);
}

}  // namespace driver
