// An agent's message spool: the SQLite file `spool.db` in its perch, one row
// per message in the `messages` table.
//
// A row's `delivered` is 0 while it is pending, 1 once it has been handed to
// the agent, and 2 when it expired unseen. Time to live: `created_at` is in
// seconds since 1970 and a row whose `ttl_seconds` is 0 (or negative) never
// expires; any other row expires once the current time reaches
// `created_at + ttl_seconds`.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kiv {

class Database;

struct SpoolMessage {
  std::int64_t id = 0;
  std::string from_id;
  std::string body;
};

std::filesystem::path spool_file(const std::filesystem::path& perch);

// Whether a row created at `created_at` with `ttl_seconds` has expired at `now`.
bool has_expired(std::int64_t created_at, std::int64_t ttl_seconds, std::int64_t now);

// Adds a pending message to the spool in `perch`, creating the spool and its
// table if needed. Throws SqliteError.
void queue_message(const std::filesystem::path& perch, const std::string& from_id,
                   const std::string& body, std::int64_t created_at);

// The pending messages of one spool, held under the spool's write lock until
// they are committed as delivered or the drain is dropped, which rolls back:
// nothing is marked delivered unless the caller has handed it on.
class SpoolDrain {
 public:
  // Takes the write lock of the spool in `perch` and reads its live pending
  // messages, retiring the expired ones. A perch without a spool, or a spool
  // without the table, has nothing pending. Throws SqliteError.
  SpoolDrain(const std::filesystem::path& perch, std::int64_t now);
  ~SpoolDrain();
  SpoolDrain(const SpoolDrain&) = delete;
  SpoolDrain& operator=(const SpoolDrain&) = delete;

  const std::vector<SpoolMessage>& messages() const { return messages_; }

  // Marks every message read as delivered and commits. Throws SqliteError.
  void commit_delivered();

 private:
  std::unique_ptr<Database> db_;
  bool in_transaction_ = false;
  std::vector<SpoolMessage> messages_;
};

}  // namespace kiv
