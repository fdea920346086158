// The failure a case body throws when a check does not hold. It carries the
// message and the position of the failed check; the runner catches it for that
// case alone and writes the failure notice.
#pragma once

#include <exception>
#include <source_location>
#include <string>

namespace runner {

class Failure : public std::exception {
 public:
  Failure(std::string message, std::source_location where) noexcept
      : message_(std::move(message)), where_(where) {}

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const noexcept { return message_; }
  const std::source_location& where() const noexcept { return where_; }

 private:
  std::string message_;
  std::source_location where_;
};

[[noreturn]] inline void fail(std::string message,
                              std::source_location where = std::source_location::current()) {
  throw Failure(std::move(message), where);
}

}  // namespace runner
