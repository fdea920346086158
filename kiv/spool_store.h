// An agent's message spool: the SQLite file `spool.db` in its perch, one row
// per message in the `messages` table.
//
// A row's `delivered` is 0 while it is pending, 1 once it has been handed to
// the agent, and 2 when it expired unseen. Time to live: `created_at` is in
// seconds since 1970 and a row whose `ttl_seconds` is 0 (or negative) never
// expires; any other row expires once the current time reaches
// `created_at + ttl_seconds`.
#pragma once

#include <chrono>
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
// table if needed. No host waits on a sender, so a locked spool is waited for
// generously. Throws SqliteError.
void queue_message(const std::filesystem::path& perch, const std::string& from_id,
                   const std::string& body, std::int64_t created_at);

// Whether the spool in `perch` holds a pending message; a perch without a
// spool, or a spool without the table, holds none. Waits up to `lock_wait`
// for a locked spool. Throws SqliteError.
bool has_pending_messages(const std::filesystem::path& perch, std::chrono::milliseconds lock_wait);

// One drain of a spool, held under the spool's write lock: the live pending
// messages are read and marked delivered and the expired ones retired, all
// inside one transaction that commit() keeps and dropping the drain rolls
// back. Hand the messages on between the two: a failure before the commit
// leaves them pending, and only dying between handing them on and the commit
// hands them on twice.
class SpoolDrain {
 public:
  // Takes the write lock of the spool in `perch`, waiting up to `lock_wait`
  // for it, and drains the spool. A perch without a spool, or a spool without
  // the table, has nothing pending. Throws SqliteError.
  SpoolDrain(const std::filesystem::path& perch, std::int64_t now,
             std::chrono::milliseconds lock_wait);
  ~SpoolDrain();
  SpoolDrain(const SpoolDrain&) = delete;
  SpoolDrain& operator=(const SpoolDrain&) = delete;

  const std::vector<SpoolMessage>& messages() const { return messages_; }

  // Commits the drain. Throws SqliteError, and then the drain is rolled back.
  void commit();

 private:
  std::unique_ptr<Database> db_;
  bool in_transaction_ = false;
  std::vector<SpoolMessage> messages_;
};

}  // namespace kiv
