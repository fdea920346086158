// Where the kiv tool is and how it is started: with the sandbox home standing in
// for the user's home.
#pragma once

#include <filesystem>

#include "driver/process.h"

namespace driver {

// The tool's absolute path, fixed at build time. Each Suite executable links its
// own definition, generated from the KIV_EXECUTABLE cache variable.
std::filesystem::path kiv_executable();

// An unstarted command for the tool, no arguments, with HOME, USERPROFILE and
// RUZ_HOME (the home joined with ".ruz") set for the child.
Command kiv_command(const std::filesystem::path& home);

// The same for any program: what kiv_command and the hook runners build on.
Command sandbox_command(const std::filesystem::path& program, const std::filesystem::path& home);

}  // namespace driver
