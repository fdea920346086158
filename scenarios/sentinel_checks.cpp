#include "scenarios/sentinel_checks.h"

#include <string>

#include "fixture/files.h"
#include "runner/check.h"

namespace scenarios {
namespace {

std::string exists_wording(std::string_view name) {
  return "perch.join(\"" + std::string(name) + "\").exists()";
}

}  // namespace

void check_sentinel_present(const std::filesystem::path& perch, std::string_view name,
                            std::source_location where) {
  runner::check_assert(fixture::path_exists(perch / name), exists_wording(name), where);
}

void check_sentinel_absent(const std::filesystem::path& perch, std::string_view name,
                           std::source_location where) {
  runner::check_assert(!fixture::path_exists(perch / name), "!" + exists_wording(name), where);
}

}  // namespace scenarios
