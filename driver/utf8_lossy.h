#pragma once

#include <string>
#include <string_view>

namespace driver {

// Decodes bytes as UTF-8, each invalid sequence replaced by U+FFFD.
std::string decode_utf8_lossy(std::string_view bytes);

}  // namespace driver
