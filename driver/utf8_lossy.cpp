#include "driver/utf8_lossy.h"

#include <iterator>

#include <utf8.h>

namespace driver {

std::string decode_utf8_lossy(std::string_view bytes) {
  constexpr char32_t replacement_character = 0xFFFD;
  std::string text;
  text.reserve(bytes.size());
  utf8::replace_invalid(bytes.begin(), bytes.end(), std::back_inserter(text),
                        replacement_character);
  return text;
}

}  // namespace driver
