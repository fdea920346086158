// Reading a count such as a worker number from text: decimal digits only, no
// sign, no spaces.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace runner {

// The number, or a description of why the text is not one.
std::variant<std::size_t, std::string> parse_whole_number(std::string_view text);

}  // namespace runner
