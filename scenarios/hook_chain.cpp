#include "scenarios/hook_chain.h"

namespace scenarios {

void full_hook_chain_deliver_check_idle() {}
void hook_check_clears_idle_ready() {}
void hook_check_drains_pending_message() {}
void hook_check_no_messages_returns_empty() {}
void hook_idle_leaves_messages_for_poll() {}
void hook_idle_sets_idle_ready() {}
void session_cache_populated_on_lookup() {}

}  // namespace scenarios
