#include "driver/process.h"

#include <algorithm>

#include "driver/child_platform.h"
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

Child::Child(Child&&) noexcept = default;

Child& Child::operator=(Child&& other) noexcept {
  if (this != &other) {
    end();
    state_ = std::move(other.state_);
  }
  return *this;
}

Child::~Child() {
  end();
}

void Child::end() noexcept {
  if (!state_)
    return;
  child_platform::kill(*state_);
  child_platform::reap_quietly(*state_);
}

void Child::close_and_reap() noexcept {
  if (!state_)
    return;
  child_platform::close_pipes(*state_);
  child_platform::reap_quietly(*state_);
}

}  // namespace driver
