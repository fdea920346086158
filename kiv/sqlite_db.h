// A thin owner of SQLite connections and prepared statements. Every failure
// throws SqliteError with SQLite's message and the database file's path.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace kiv {

class SqliteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Statement;

class Database {
 public:
  enum class Open { existing, create };

  // Opens `file` read-write (creating it with Open::create). A locked
  // database is waited for up to `lock_wait` before an operation fails. A
  // symbolic link standing in the file's place, or in the place of its journal,
  // is refused and never followed: the database stays where it is named.
  Database(const std::filesystem::path& file, Open mode, std::chrono::milliseconds lock_wait);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Runs one or more statements without parameters.
  void execute(const char* sql);
  Statement prepare(const char* sql);

  // Throws SqliteError for `result` when it is not `expected`.
  void check(int result, int expected, const char* doing) const;

 private:
  std::filesystem::path file_;
  sqlite3* db_ = nullptr;

  friend class Statement;
};

class Statement {
 public:
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void bind(int index, const std::string& text);
  void bind(int index, std::int64_t number);
  // Advances to the next row; false when there is none left.
  bool step();
  void reset();
  std::int64_t column_int64(int index);
  std::string column_text(int index);

 private:
  Statement(Database& db, const char* sql);

  Database& db_;
  sqlite3_stmt* statement_ = nullptr;

  friend class Database;
};

}  // namespace kiv
