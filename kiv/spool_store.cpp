#include "kiv/spool_store.h"

#include <limits>

#include "kiv/sqlite_db.h"

namespace kiv {
namespace {

constexpr char create_table_sql[] =
    "CREATE TABLE IF NOT EXISTS messages (\n"
    "            id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
    "            from_id TEXT NOT NULL,\n"
    "            body TEXT NOT NULL,\n"
    "            created_at INTEGER NOT NULL,\n"
    "            ttl_seconds INTEGER NOT NULL DEFAULT 0,\n"
    "            delivered INTEGER NOT NULL DEFAULT 0\n"
    "        )";

// Keeps finding the pending rows cheap however many delivered rows pile up.
constexpr char create_pending_index_sql[] =
    "CREATE INDEX IF NOT EXISTS messages_pending ON messages (id) WHERE delivered = 0";

// Senders queue behind one another; a long wait beats a lost message.
constexpr std::chrono::milliseconds sender_lock_wait{30000};

constexpr std::int64_t delivered_state = 1;
constexpr std::int64_t expired_state = 2;

bool has_messages_table(Database& db) {
  auto query = db.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'messages'");
  return query.step();
}

void mark(Database& db, const std::vector<std::int64_t>& ids, std::int64_t state) {
  auto update = db.prepare("UPDATE messages SET delivered = ?1 WHERE id = ?2");
  for (auto id : ids) {
    update.bind(1, state);
    update.bind(2, id);
    update.step();
    update.reset();
  }
}

}  // namespace

std::filesystem::path spool_file(const std::filesystem::path& perch) {
  return perch / "spool.db";
}

bool has_expired(std::int64_t created_at, std::int64_t ttl_seconds, std::int64_t now) {
  if (ttl_seconds <= 0)
    return false;
  // now - created_at >= ttl_seconds, without overflow.
  if (created_at < 0 && now > std::numeric_limits<std::int64_t>::max() + created_at)
    return true;
  if (created_at > 0 && now < std::numeric_limits<std::int64_t>::min() + created_at)
    return false;
  return now - created_at >= ttl_seconds;
}

void queue_message(const std::filesystem::path& perch, const std::string& from_id,
                   const std::string& body, std::int64_t created_at) {
  Database db(spool_file(perch), Database::Open::create, sender_lock_wait);
  // Take the write lock first: a transaction that starts by reading and then
  // wants to write can fail at once instead of waiting for other senders.
  db.execute("BEGIN IMMEDIATE");
  db.execute(create_table_sql);
  db.execute(create_pending_index_sql);
  auto insert = db.prepare(
      "INSERT INTO messages (from_id, body, created_at, ttl_seconds) VALUES (?1, ?2, ?3, 0)");
  insert.bind(1, from_id);
  insert.bind(2, body);
  insert.bind(3, created_at);
  insert.step();
  db.execute("COMMIT");
}

bool has_pending_messages(const std::filesystem::path& perch, std::chrono::milliseconds lock_wait) {
  auto file = spool_file(perch);
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(file, error)))
    return false;
  Database db(file, Database::Open::existing, lock_wait);
  if (!has_messages_table(db))
    return false;
  return db.prepare("SELECT 1 FROM messages WHERE delivered = 0 LIMIT 1").step();
}

SpoolDrain::SpoolDrain(const std::filesystem::path& perch, std::int64_t now,
                       std::chrono::milliseconds lock_wait) {
  auto file = spool_file(perch);
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(file, error)))
    return;

  db_ = std::make_unique<Database>(file, Database::Open::existing, lock_wait);
  db_->execute("BEGIN IMMEDIATE");
  in_transaction_ = true;
  if (!has_messages_table(*db_))
    return;
  db_->execute(create_pending_index_sql);

  std::vector<std::int64_t> live;
  std::vector<std::int64_t> expired;
  auto pending = db_->prepare(
      "SELECT id, from_id, body, created_at, ttl_seconds FROM messages WHERE delivered = 0 "
      "ORDER BY id");
  while (pending.step()) {
    auto id = pending.column_int64(0);
    if (has_expired(pending.column_int64(3), pending.column_int64(4), now)) {
      expired.push_back(id);
    } else {
      live.push_back(id);
      messages_.push_back({id, pending.column_text(1), pending.column_text(2)});
    }
  }
  mark(*db_, expired, expired_state);
  mark(*db_, live, delivered_state);
}

SpoolDrain::~SpoolDrain() {
  if (!in_transaction_)
    return;
  try {
    db_->execute("ROLLBACK");
  } catch (const SqliteError&) {
    // Closing the connection rolls back as well.
  }
}

void SpoolDrain::commit() {
  if (!in_transaction_)
    return;
  db_->execute("COMMIT");
  in_transaction_ = false;
}

}  // namespace kiv
