#include "kiv/sqlite_db.h"

#include <sqlite3.h>

#include "kiv/os.h"
#include "kiv/quote.h"

namespace kiv {
namespace {

// The files SQLite keeps beside a database: a link there would take its
// writes elsewhere just as a link in place of the database would.
constexpr const char* companion_suffixes[] = {"", "-journal", "-wal", "-shm"};

void refuse_links(const std::filesystem::path& file) {
  for (const char* suffix : companion_suffixes) {
    auto entry = file;
    entry += suffix;
    if (os::is_symbolic_link(entry))
      throw SqliteError("refusing to open " + quote(entry.string()) + ": it is a symbolic link");
  }
}

// SQLite's no-follow mode refuses a link anywhere in the name. Links above
// the database's directory are the user's own set-up, so the directory is
// resolved first and only a link at the file itself is refused.
std::filesystem::path resolved_directory_of(const std::filesystem::path& file) {
  std::error_code error;
  auto directory = std::filesystem::canonical(file.parent_path(), error);
  if (error)
    throw SqliteError("cannot open " + quote(file.string()) + ": " + error.message());
  return directory / file.filename();
}

}  // namespace

Database::Database(const std::filesystem::path& file, Open mode,
                   std::chrono::milliseconds lock_wait)
    : file_(file) {
  refuse_links(file);
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
  if (mode == Open::create)
    flags |= SQLITE_OPEN_CREATE;
  int result = sqlite3_open_v2(resolved_directory_of(file).string().c_str(), &db_, flags, nullptr);
  if (result != SQLITE_OK) {
    std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(result);
    sqlite3_close(db_);
    throw SqliteError("cannot open " + quote(file.string()) + ": " + message);
  }
  check(sqlite3_busy_timeout(db_, static_cast<int>(lock_wait.count())), SQLITE_OK,
        "setting the busy timeout");
}

Database::~Database() {
  sqlite3_close(db_);
}

void Database::check(int result, int expected, const char* doing) const {
  if (result == expected)
    return;
  throw SqliteError(std::string(doing) + " in " + quote(file_.string()) + ": " +
                    sqlite3_errmsg(db_));
}

void Database::execute(const char* sql) {
  char* message = nullptr;
  int result = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
  if (result == SQLITE_OK)
    return;
  std::string text = message != nullptr ? message : sqlite3_errstr(result);
  sqlite3_free(message);
  throw SqliteError(std::string("running \"") + sql + "\" in " + quote(file_.string()) + ": " +
                    text);
}

Statement Database::prepare(const char* sql) {
  return Statement(*this, sql);
}

Statement::Statement(Database& db, const char* sql) : db_(db) {
  db_.check(sqlite3_prepare_v2(db_.db_, sql, -1, &statement_, nullptr), SQLITE_OK,
            "preparing a statement");
}

Statement::~Statement() {
  sqlite3_finalize(statement_);
}

void Statement::bind(int index, const std::string& text) {
  db_.check(sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                SQLITE_UTF8),
            SQLITE_OK, "binding a text");
}

void Statement::bind(int index, std::int64_t number) {
  db_.check(sqlite3_bind_int64(statement_, index, number), SQLITE_OK, "binding a number");
}

bool Statement::step() {
  int result = sqlite3_step(statement_);
  if (result == SQLITE_ROW)
    return true;
  db_.check(result, SQLITE_DONE, "running a statement");
  return false;
}

void Statement::reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::int64_t Statement::column_int64(int index) {
  return sqlite3_column_int64(statement_, index);
}

std::string Statement::column_text(int index) {
  auto text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, index));
  auto size = sqlite3_column_bytes(statement_, index);
  return text != nullptr ? std::string(text, static_cast<size_t>(size)) : std::string();
}

}  // namespace kiv
