// Direct access to an agent's spool.db, playing the sender or the inspector.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct sqlite3;

namespace kiv_test {

struct SpoolRow {
  std::string from_id;
  std::string body;
  std::int64_t created_at = 0;
  std::int64_t ttl_seconds = 0;
  std::int64_t delivered = 0;
};

// Creates the spool with the messages table and appends `rows` as given.
void write_spool(const std::filesystem::path& perch, const std::vector<SpoolRow>& rows);

// Appends `count` pending rows, and `delivered` delivered rows before them, in
// one transaction.
void fill_spool(const std::filesystem::path& perch, int delivered, int pending);

// Holds the spool's write lock, as a sender in the middle of its transaction
// does, until released or destroyed.
class SpoolLock {
 public:
  explicit SpoolLock(const std::filesystem::path& perch);
  ~SpoolLock();
  SpoolLock(const SpoolLock&) = delete;
  SpoolLock& operator=(const SpoolLock&) = delete;
  void release();

 private:
  sqlite3* db_ = nullptr;
};

std::vector<SpoolRow> read_spool(const std::filesystem::path& perch);
std::int64_t count_rows(const std::filesystem::path& perch, std::int64_t delivered);

}  // namespace kiv_test
