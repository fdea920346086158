#include "kiv/quote.h"

#include <cstdio>

namespace kiv {
namespace {

constexpr size_t shown_bytes = 256;

bool is_continuation_byte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string quote(std::string_view text) {
  size_t shown = text.size();
  if (shown > shown_bytes) {
    shown = shown_bytes;
    while (shown > 0 && is_continuation_byte(text[shown]))
      --shown;
  }
  std::string result = "\"";
  for (char c : text.substr(0, shown)) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      result += escape;
    } else {
      result += c;
    }
  }
  result += "\"";
  if (shown < text.size())
    result += "... (" + std::to_string(text.size() - shown) + " more bytes)";
  return result;
}

}  // namespace kiv
