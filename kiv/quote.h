// Ids, paths and other outside texts as diagnostics show them.
#pragma once

#include <string>
#include <string_view>

namespace kiv {

// `text` in double quotes, cut after a few hundred bytes (at a character
// boundary) with a note of how many bytes were left out, so that a huge id
// cannot flood standard error. Control characters appear as \xNN, so the
// quoted text stays on its line.
std::string quote(std::string_view text);

}  // namespace kiv
