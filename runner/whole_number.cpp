#include "runner/whole_number.h"

#include <limits>

namespace runner {

std::variant<std::size_t, std::string> parse_whole_number(std::string_view text) {
  if (text.empty())
    return std::string("cannot read a number from an empty text");
  constexpr std::size_t max = std::numeric_limits<std::size_t>::max();
  std::size_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return "invalid digit in '" + std::string(text) + "'";
    const auto digit = static_cast<std::size_t>(c - '0');
    if (value > (max - digit) / 10)
      return "number too large: '" + std::string(text) + "'";
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace runner
