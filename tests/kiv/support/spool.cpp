#include "tests/kiv/support/spool.h"

#include "driver/process.h"
#include "fixture/spool.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace kiv_test {
namespace {

// The table as the sender (the Suite) creates it: a header constant, no link to the Suite.
const std::string create_table_sql(fixture::messages_table_text);

using Db = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;
using Stmt = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

void check(sqlite3* db, int result, int expected = SQLITE_OK) {
  if (result != expected)
    throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
}

Db open(const std::filesystem::path& perch) {
  sqlite3* raw = nullptr;
  int result = sqlite3_open(driver::path_text(perch / "spool.db").c_str(), &raw);
  Db db(raw, &sqlite3_close);
  check(db.get(), result);
  sqlite3_busy_timeout(db.get(), 30000);
  return db;
}

Stmt prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* raw = nullptr;
  check(db, sqlite3_prepare_v2(db, sql, -1, &raw, nullptr));
  return Stmt(raw, &sqlite3_finalize);
}

void insert(sqlite3* db, sqlite3_stmt* statement, const SpoolRow& row) {
  sqlite3_reset(statement);
  sqlite3_bind_text(statement, 1, row.from_id.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(statement, 2, row.body.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int64(statement, 3, row.created_at);
  sqlite3_bind_int64(statement, 4, row.ttl_seconds);
  sqlite3_bind_int64(statement, 5, row.delivered);
  check(db, sqlite3_step(statement), SQLITE_DONE);
}

constexpr char insert_sql[] =
    "INSERT INTO messages (from_id, body, created_at, ttl_seconds, delivered) "
    "VALUES (?1, ?2, ?3, ?4, ?5)";

}  // namespace

void write_spool(const std::filesystem::path& perch, const std::vector<SpoolRow>& rows) {
  auto db = open(perch);
  check(db.get(), sqlite3_exec(db.get(), create_table_sql.c_str(), nullptr, nullptr, nullptr));
  auto statement = prepare(db.get(), insert_sql);
  for (const auto& row : rows)
    insert(db.get(), statement.get(), row);
}

void fill_spool(const std::filesystem::path& perch, int delivered, int pending) {
  auto db = open(perch);
  check(db.get(), sqlite3_exec(db.get(), create_table_sql.c_str(), nullptr, nullptr, nullptr));
  check(db.get(), sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr));
  auto statement = prepare(db.get(), insert_sql);
  for (int i = 0; i < delivered + pending; ++i) {
    insert(db.get(), statement.get(),
           {"sender", "message " + std::to_string(i), 0, 0, i < delivered ? 1 : 0});
  }
  check(db.get(), sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr));
}

SpoolLock::SpoolLock(const std::filesystem::path& perch) {
  auto db = open(perch);
  check(db.get(), sqlite3_exec(db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
  db_ = db.release();
}

SpoolLock::~SpoolLock() {
  release();
}

void SpoolLock::release() {
  sqlite3_close(db_);  // rolls back the open transaction
  db_ = nullptr;
}

std::vector<SpoolRow> read_spool(const std::filesystem::path& perch) {
  auto db = open(perch);
  auto query = prepare(db.get(),
                       "SELECT from_id, body, created_at, ttl_seconds, delivered FROM messages "
                       "ORDER BY id");
  std::vector<SpoolRow> rows;
  while (sqlite3_step(query.get()) == SQLITE_ROW) {
    auto text = [&](int column) {
      return std::string(reinterpret_cast<const char*>(sqlite3_column_text(query.get(), column)),
                         static_cast<size_t>(sqlite3_column_bytes(query.get(), column)));
    };
    rows.push_back({text(0), text(1), sqlite3_column_int64(query.get(), 2),
                    sqlite3_column_int64(query.get(), 3), sqlite3_column_int64(query.get(), 4)});
  }
  return rows;
}

std::int64_t count_rows(const std::filesystem::path& perch, std::int64_t delivered) {
  auto db = open(perch);
  auto query = prepare(db.get(), "SELECT COUNT(*) FROM messages WHERE delivered = ?1");
  sqlite3_bind_int64(query.get(), 1, delivered);
  check(db.get(), sqlite3_step(query.get()), SQLITE_ROW);
  return sqlite3_column_int64(query.get(), 0);
}

}  // namespace kiv_test
