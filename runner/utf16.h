// UTF-8 text to and from the UTF-16 of the Windows API.
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace runner::utf16 {

// Invalid sequences become U+FFFD in either direction.
std::wstring widen(std::string_view text);
std::string narrow(std::wstring_view text);

}  // namespace runner::utf16

#endif
