#include "driver/process.h"

#include <algorithm>

#include "driver/path_text.h"
#include "driver/process_error.h"

namespace driver {

Command& Command::env(std::string name, std::string value) {
  std::erase(removals_, name);
  auto same_name = [&](const auto& entry) { return entry.first == name; };
  if (auto it = std::find_if(env_.begin(), env_.end(), same_name); it != env_.end()) {
    it->second = std::move(value);
  } else {
    env_.emplace_back(std::move(name), std::move(value));
  }
  return *this;
}

Command& Command::unset(std::string name) {
  std::erase_if(env_, [&](const auto& entry) { return entry.first == name; });
  if (std::find(removals_.begin(), removals_.end(), name) == removals_.end())
    removals_.push_back(std::move(name));
  return *this;
}

std::system_error process_error(int code, std::string_view action,
                                const std::filesystem::path& program) {
  std::string message = "cannot ";
  message += action;
  message += ' ';
  message += path_text(program);
  return std::system_error(code, std::system_category(), message);
}

}  // namespace driver
