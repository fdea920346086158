// The kivery-wide session cache `.session-cache`: a compact JSON object that
// maps session ids to agent ids, {"<session id>":"<agent id>",...}.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

namespace kiv {

class SessionCache {
 public:
  // Loads the cache of `kivery`. A missing cache is empty; an unreadable or
  // malformed one is noted on `diagnostics` and treated as empty.
  static SessionCache load(const std::filesystem::path& kivery, std::ostream& diagnostics);

  // The cached agent id of `session_id`, if it is a safe agent id.
  std::optional<std::string> agent_of(const std::string& session_id) const;

  void remember(const std::string& session_id, const std::string& agent_id);
  void forget(const std::string& session_id);

  // Rewrites the cache file atomically. Throws std::system_error on failure.
  void store() const;

 private:
  SessionCache(std::filesystem::path file, nlohmann::ordered_json entries);

  std::filesystem::path file_;
  nlohmann::ordered_json entries_;
};

}  // namespace kiv
