// Text tests the cases make on what the tool printed.
#pragma once

#include <string_view>

namespace scenarios {

// True when the UTF-8 text holds nothing but Unicode white space (the
// White_Space property, not only ASCII), including when it is empty. Bytes that
// are not valid UTF-8 are not white space.
bool is_blank(std::string_view utf8) noexcept;

// Exact, case-sensitive substring test.
inline bool contains(std::string_view text, std::string_view part) noexcept {
  return text.find(part) != std::string_view::npos;
}

}  // namespace scenarios
