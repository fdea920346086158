// The few operating-system services the tool needs, behind one seam:
// os-posix.cpp on POSIX systems, os-win32.cpp on Windows.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kiv::os {

// Sets up the process for its work: binary standard streams, and a broken
// standard output reported as a write error rather than a fatal signal.
void prepare_process();

// The program's arguments, the program's name first, as UTF-8 text on Windows
// (whatever the code page) and as given on POSIX.
std::vector<std::string> arguments(int argc, char** argv);

// The value of an environment variable, or nothing when it is unset or empty:
// UTF-8 text on Windows, the bytes as set on POSIX.
std::optional<std::string> environment_variable(const char* name);

// The value of an environment variable as a path, built from the variable's
// own form (UTF-16 on Windows), or nothing when it is unset or empty.
std::optional<std::filesystem::path> path_variable(const char* name);

// The user's home directory: HOME on POSIX, USERPROFILE on Windows.
std::optional<std::filesystem::path> home_directory();

// True when `path` itself (not what a link there points to) is a directory.
bool is_plain_directory(const std::filesystem::path& path);

// True when the entry `path` itself is a symbolic link (on Windows, any
// reparse point), whether or not its target exists.
bool is_symbolic_link(const std::filesystem::path& path);

// Creates the empty file `name` directly in `directory` in one atomic step.
// An existing file or directory of that name is left as it is; a symbolic link
// of that name is replaced by the file, never followed. Throws
// std::system_error naming the path on failure.
void create_sentinel(const std::filesystem::path& directory, const std::string& name);

// Removes the entry `name` from `directory` without following links: a link is
// removed itself, an empty directory is removed too. Returns whether anything
// was there. Throws std::system_error naming the path on failure.
bool remove_sentinel(const std::filesystem::path& directory, const std::string& name);

// Replaces `target` with a file holding `content`: writes a temporary file
// beside it and renames it over the target, so a reader sees either the old
// or the new content, never a part. Throws std::system_error on failure.
void replace_file_atomically(const std::filesystem::path& target, const std::string& content);

// Reads standard input to its end.
std::string read_standard_input();

// Writes `text` to standard output and flushes it. Returns false when any of
// it could not be written.
bool write_standard_output(const std::string& text);

}  // namespace kiv::os
