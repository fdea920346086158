// The four forms of a failure message, as checks that end a case body:
//   1. check(cond, message)             -> the message itself
//   2. check_assert(cond, wording)      -> "assertion failed: " + wording
//   3. check_eq(left, right[, message]) -> the equality report
//   4. a step that meets an error, with a message of its own or without:
//      fail_step(step_message, description) -> step_message + ": " + description
//      fail_unexpected(description)         -> the unexpected-error notice + ": " + description
// Each takes the caller's source position, so the failure points at the check.
#pragma once

#include <concepts>
#include <cstdint>
#include <source_location>
#include <string>
#include <string_view>
#include <type_traits>

#include "runner/failure.h"

namespace runner {

// The fixed phrase for an error met where success was required.
inline constexpr std::string_view unexpected_error_notice = "unexpected error";

// "assertion `left == right` failed[: message]\n  left: L\n right: R"
std::string equality_report(std::string_view left, std::string_view right,
                            std::string_view message = {});

inline void check(bool condition, std::string_view message,
                  std::source_location where = std::source_location::current()) {
  if (!condition)
    fail(std::string(message), where);
}

inline void check_assert(bool condition, std::string_view wording,
                         std::source_location where = std::source_location::current()) {
  if (!condition)
    fail("assertion failed: " + std::string(wording), where);
}

namespace detail {
inline std::string describe(std::string_view text) {
  return std::string(text);
}
template <typename T>
concept plain_integer = std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char>;

template <plain_integer T>
std::string describe(T value) {
  return std::to_string(value);
}
}  // namespace detail

// Equality check; a message of its own, where there is one, follows "failed: ".
template <typename L, typename R>
void check_eq(const L& left, const R& right, std::string_view message = {},
              std::source_location where = std::source_location::current()) {
  if (!(left == right)) {
    fail(equality_report(detail::describe(left), detail::describe(right), message), where);
  }
}

[[noreturn]] void fail_unexpected(std::string_view description,
                                  std::source_location where = std::source_location::current());

[[noreturn]] void fail_step(std::string_view step_message, std::string_view description,
                            std::source_location where = std::source_location::current());

}  // namespace runner
