// The answer `hook-check` gives the host: one line of compact JSON,
//   {"hookSpecificOutput":{"hookEventName":"<event>","additionalContext":"<kiv_messages>\n
//    <message from=\"<sender>\">body</message>\n...</kiv_messages>"}}
// Senders and bodies are escaped for XML inside the element, so no body can
// close it early, and the whole text is escaped for JSON.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kiv/spool_store.h"

namespace kiv {

std::string escape_xml(std::string_view text);

// The answer line, ending in a line feed.
std::string format_answer(const std::string& hook_event_name,
                          const std::vector<SpoolMessage>& messages);

}  // namespace kiv
