#include "kiv/kivery.h"

#include <stdexcept>
#include <system_error>
#include <vector>

#include <nlohmann/json.hpp>

#include "kiv/file_text.h"
#include "kiv/os.h"
#include "kiv/quote.h"
#include "kiv/session_cache.h"

namespace kiv {
namespace {

constexpr size_t max_agent_id_bytes = 128;

bool is_safe_id_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.';
}

// Whether the agent's record names `session_id`; a record that cannot be read
// is noted on `diagnostics` and does not match.
bool record_matches(const std::filesystem::path& perch, const std::string& session_id,
                    std::ostream& diagnostics) {
  try {
    return recorded_session_id(perch) == session_id;
  } catch (const std::exception& problem) {
    diagnostics << "kiv: skipping agent " << quote(perch.filename().string()) << ": "
                << problem.what() << "\n";
    return false;
  }
}

// Every agent whose record holds `session_id`, in directory order.
std::vector<std::string> scan_records(const std::filesystem::path& kivery,
                                      const std::string& session_id, std::ostream& diagnostics) {
  std::vector<std::string> matches;
  std::error_code error;
  std::filesystem::directory_iterator entries(kivery, error);
  if (error) {
    diagnostics << "kiv: cannot list " << quote(kivery.string()) << ": " << error.message() << "\n";
    return matches;
  }
  for (const auto& entry : entries) {
    auto agent_id = entry.path().filename().string();
    if (!is_safe_agent_id(agent_id))
      continue;  // the cache and other dot files
    if (!entry.is_directory(error) || entry.is_symlink(error))
      continue;
    if (record_matches(entry.path(), session_id, diagnostics))
      matches.push_back(agent_id);
  }
  return matches;
}

}  // namespace

std::filesystem::path data_root() {
  if (auto root = os::path_variable("RUZ_HOME"))
    return *root;
  if (auto home = os::home_directory())
    return *home / ".ruz";
  throw std::runtime_error("no data root: neither RUZ_HOME nor the home directory is set");
}

std::filesystem::path kivery_directory(const std::filesystem::path& root) {
  return root / "kivery";
}

bool is_safe_agent_id(std::string_view id) {
  if (id.empty() || id.size() > max_agent_id_bytes || id.front() == '.')
    return false;
  for (char c : id) {
    if (!is_safe_id_char(c))
      return false;
  }
  return true;
}

std::filesystem::path perch_of(const std::filesystem::path& kivery, const std::string& agent_id) {
  return kivery / agent_id;
}

bool is_registered(const std::filesystem::path& kivery, const std::string& agent_id) {
  return os::is_plain_directory(perch_of(kivery, agent_id));
}

std::string recorded_session_id(const std::filesystem::path& perch) {
  auto file = perch / "info.json";
  auto record = nlohmann::json::parse(read_file(file), nullptr, false);
  if (!record.is_object())
    throw std::runtime_error(quote(file.string()) + " is not a JSON object");
  auto session = record.find("session_id");
  if (session == record.end() || !session->is_string()) {
    throw std::runtime_error(quote(file.string()) + " has no session_id text");
  }
  return session->get<std::string>();
}

std::optional<std::string> find_agent_for_session(const std::filesystem::path& kivery,
                                                  const std::string& session_id,
                                                  std::ostream& diagnostics) {
  auto cache = SessionCache::load(kivery, diagnostics);
  auto cached = cache.agent_of(session_id);
  if (cached && is_registered(kivery, *cached) &&
      record_matches(perch_of(kivery, *cached), session_id, diagnostics)) {
    return cached;
  }

  auto matches = scan_records(kivery, session_id, diagnostics);
  std::optional<std::string> agent;
  for (const auto& match : matches) {
    if (!agent || match < *agent)
      agent = match;
  }
  if (matches.size() > 1) {
    diagnostics << "kiv: " << matches.size() << " agents claim session " << quote(session_id)
                << "; using " << quote(*agent) << "\n";
  }

  if (!agent && !cached)
    return std::nullopt;  // nothing to remember or to forget
  if (agent) {
    cache.remember(session_id, *agent);
  } else {
    cache.forget(session_id);
  }
  try {
    cache.store();
  } catch (const std::exception& problem) {
    diagnostics << "kiv: cannot update the session cache: " << problem.what() << "\n";
  }
  return agent;
}

}  // namespace kiv
