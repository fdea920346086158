#include "scenarios/text.h"

#include <utf8.h>

namespace scenarios {
namespace {

// The code points with the Unicode White_Space property.
bool is_white_space(char32_t c) noexcept {
  switch (c) {
    case 0x0009:  // tab, line feed, line tabulation, form feed, carriage return
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0020:  // space
    case 0x0085:  // next line
    case 0x00A0:  // no-break space
    case 0x1680:  // ogham space mark
    case 0x2028:  // line separator
    case 0x2029:  // paragraph separator
    case 0x202F:  // narrow no-break space
    case 0x205F:  // medium mathematical space
    case 0x3000:  // ideographic space
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;  // en quad to hair space
  }
}

}  // namespace

bool is_blank(std::string_view utf8) noexcept {
  if (utf8::find_invalid(utf8.begin(), utf8.end()) != utf8.end()) {
    return false;
  }
  for (auto it = utf8.begin(); it != utf8.end();) {
    if (!is_white_space(utf8::unchecked::next(it))) {
      return false;
    }
  }
  return true;
}

}  // namespace scenarios
