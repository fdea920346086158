#include "kiv/session_cache.h"

#include <utility>

#include "kiv/file_text.h"
#include "kiv/kivery.h"
#include "kiv/os.h"
#include "kiv/quote.h"

namespace kiv {

namespace {
constexpr char cache_file_name[] = ".session-cache";
}

SessionCache::SessionCache(std::filesystem::path file, nlohmann::ordered_json entries)
    : file_(std::move(file)), entries_(std::move(entries)) {}

SessionCache SessionCache::load(const std::filesystem::path& kivery, std::ostream& diagnostics) {
  auto file = kivery / cache_file_name;
  auto entries = nlohmann::ordered_json::object();
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
    return SessionCache(file, entries);
  }
  try {
    auto parsed = nlohmann::ordered_json::parse(read_file(file));
    if (!parsed.is_object())
      throw std::runtime_error("not a JSON object");
    entries = std::move(parsed);
  } catch (const std::exception& problem) {
    diagnostics << "kiv: ignoring the session cache " << quote(file.string()) << ": "
                << problem.what() << "\n";
  }
  return SessionCache(file, entries);
}

std::optional<std::string> SessionCache::agent_of(const std::string& session_id) const {
  auto found = entries_.find(session_id);
  if (found == entries_.end() || !found->is_string())
    return std::nullopt;
  auto agent_id = found->get<std::string>();
  if (!is_safe_agent_id(agent_id))
    return std::nullopt;
  return agent_id;
}

void SessionCache::remember(const std::string& session_id, const std::string& agent_id) {
  entries_[session_id] = agent_id;
}

void SessionCache::forget(const std::string& session_id) {
  entries_.erase(session_id);
}

void SessionCache::store() const {
  os::replace_file_atomically(
      file_, entries_.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
}

}  // namespace kiv
