#include "runner/failure_notice.h"

namespace runner {

std::string failure_notice(std::string_view case_name, std::uint64_t thread_id,
                           std::string_view position, std::string_view message,
                           std::string_view trailer) {
  std::string notice = "\nthread '";
  notice += case_name;
  notice += "' (" + std::to_string(thread_id) + ") failed";
  if (!position.empty()) {
    notice += " at ";
    notice += position;
  }
  notice += ":\n";
  notice += message;
  notice += "\n";
  notice += trailer;
  return notice;
}

std::string position_text(std::string_view file, std::uint_least32_t line,
                          std::uint_least32_t column) {
  if (file.empty())
    return {};
  return std::string(file) + ":" + std::to_string(line) + ":" + std::to_string(column);
}

}  // namespace runner
