#include "kiv/file_text.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "kiv/quote.h"

namespace kiv {

std::string read_file(const std::filesystem::path& path) {
  std::error_code error;
  auto status = std::filesystem::status(path, error);
  if (error)
    throw std::runtime_error("cannot read " + quote(path.string()) + ": " + error.message());
  if (!std::filesystem::is_regular_file(status)) {
    throw std::runtime_error("cannot read " + quote(path.string()) + ": not a regular file");
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  if (in)
    content << in.rdbuf();
  if (!in || in.bad())
    throw std::runtime_error("cannot read " + quote(path.string()));
  return content.str();
}

}  // namespace kiv
