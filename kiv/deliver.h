// `kiv deliver <recipient> <sender>`: posts the message body read from
// standard input to the recipient's spool and sets its `.has-messages`.
#pragma once

#include <ostream>
#include <string>

namespace kiv {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Returns the process exit status: kExitUsage for an id that is not one safe
// path component, kExitFailed when the recipient is not registered or the
// message cannot be stored, kExitOk once it is stored and announced.
int deliver(const std::string& recipient, const std::string& sender, std::ostream& diagnostics);

}  // namespace kiv
