#include "tests/support/scratch_dir.h"

#include <random>
#include <system_error>

namespace test_support {

ScratchDir::ScratchDir(const std::string& prefix) {
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  std::mt19937_64 generator{std::random_device{}()};
  std::uniform_int_distribution<int> digit(0, 35);
  for (;;) {
    std::string name = prefix;
    for (int i = 0; i < 10; ++i)
      name += "0123456789abcdefghijklmnopqrstuvwxyz"[digit(generator)];
    // create_directory reports an existing directory by returning false, and
    // anything else by throwing.
    if (std::filesystem::create_directory(base / name)) {
      path_ = base / name;
      return;
    }
  }
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace test_support

namespace test_support {

bool create_symlink(const std::filesystem::path& target, const std::filesystem::path& link) {
  std::error_code error;
  std::filesystem::create_symlink(target, link, error);
  if (error == std::errc::function_not_supported)
    return false;
  if (error)
    throw std::filesystem::filesystem_error("cannot create the symbolic link", target, link, error);
  return true;
}

}  // namespace test_support
