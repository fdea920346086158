// The tool's data layout: the data root, the kivery directory that holds one
// perch per agent, agent ids, and the agent records in the perches.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace kiv {

// RUZ_HOME, or else `.ruz` in the user's home directory. Throws
// std::runtime_error when neither is known.
std::filesystem::path data_root();

std::filesystem::path kivery_directory(const std::filesystem::path& root);

// An agent id names its perch, so it must be exactly one safe path component:
// 1 to 128 bytes of ASCII letters, digits, '-', '_' and '.', not starting with
// a dot.
bool is_safe_agent_id(std::string_view id);

// The perch of `agent_id`; the id must be safe.
std::filesystem::path perch_of(const std::filesystem::path& kivery, const std::string& agent_id);

// True when the agent's perch is a real directory (a link is not followed).
bool is_registered(const std::filesystem::path& kivery, const std::string& agent_id);

// The session id recorded in the agent's `info.json`. Throws
// std::runtime_error naming the file when it is missing, unreadable, not a JSON
// object or has no string `session_id`.
std::string recorded_session_id(const std::filesystem::path& perch);

// The agent whose record holds `session_id`: the session cache answers first
// and a hit is confirmed against the agent's record; on a miss or a stale hit
// the records of all agents are scanned and the cache is rewritten. Notes on
// records or caches that could not be used go to `diagnostics`.
std::optional<std::string> find_agent_for_session(const std::filesystem::path& kivery,
                                                  const std::string& session_id,
                                                  std::ostream& diagnostics);

}  // namespace kiv
