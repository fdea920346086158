// A fresh, empty directory of a test's own in the system's temporary
// directory, removed with everything in it when released.
#pragma once

#include <filesystem>
#include <string>

namespace test_support {

class ScratchDir {
 public:
  // `prefix` starts the directory's name. Throws std::filesystem_error when
  // the directory cannot be created.
  explicit ScratchDir(const std::string& prefix = "hook_chain_test-");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const noexcept { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace test_support

namespace test_support {

// Creates the symbolic link `link` to `target`. Returns false, creating
// nothing, where the platform's file library has no symbolic links (MinGW's);
// throws std::filesystem_error on any other failure.
bool create_symlink(const std::filesystem::path& target, const std::filesystem::path& link);

}  // namespace test_support
