// The hooks the host runs: `hook-check` hands the agent its pending messages
// and marks it busy; `hook-idle` marks it idle-ready. Both read the host's JSON
// payload on standard input and find the agent by its session id, taken from
// the payload's `session_id` or else from KIV_SESSION_ID.
//
// A hook must never break its host: both always return exit status 0 and
// explain any problem on `diagnostics`.
#pragma once

#include <ostream>

namespace kiv {

int hook_check(std::ostream& diagnostics);
int hook_idle(std::ostream& diagnostics);

}  // namespace kiv
