// Sentinel files in a perch: empty files whose presence alone carries meaning.
#pragma once

namespace kiv {

// The agent has pending messages: set by `deliver`, cleared by `hook-check`.
inline constexpr char has_messages_name[] = ".has-messages";
// The agent is idle and ready: set by `hook-idle`, cleared by `hook-check`.
inline constexpr char idle_ready_name[] = ".idle-ready";

}  // namespace kiv
