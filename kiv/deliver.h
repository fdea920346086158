// `kiv deliver <recipient> <sender>`: posts the message body read from
// standard input to the recipient's spool and sets its `.has-messages`.
#pragma once

#include <ostream>
#include <string>

namespace kiv {

inline constexpr int exit_ok = 0;
inline constexpr int exit_failed = 1;
inline constexpr int exit_usage = 2;

// Returns the process exit status: exit_usage for an id that is not one safe
// path component, exit_failed when the recipient is not registered or the
// message cannot be stored, exit_ok once it is stored and announced.
int deliver(const std::string& recipient, const std::string& sender, std::ostream& diagnostics);

}  // namespace kiv
