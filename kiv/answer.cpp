#include "kiv/answer.h"

#include <nlohmann/json.hpp>

namespace kiv {

std::string escape_xml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&apos;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string format_answer(const std::string& hook_event_name,
                          const std::vector<SpoolMessage>& messages) {
  std::string context = "<kiv_messages>\n";
  for (const auto& message : messages) {
    context += "<message from=\"" + escape_xml(message.from_id) + "\">" + escape_xml(message.body) +
               "</message>\n";
  }
  context += "</kiv_messages>";

  nlohmann::ordered_json answer;
  answer["hookSpecificOutput"]["hookEventName"] = hook_event_name;
  answer["hookSpecificOutput"]["additionalContext"] = context;
  // Bytes that are not UTF-8 become U+FFFD rather than failing the answer.
  return answer.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace kiv
