#include "suite/registry.h"

#include <array>
#include <source_location>
#include <string_view>

#include "scenarios/hook_chain.h"

namespace suite {
namespace {

template <void (*Body)()>
constexpr runner::CaseDescriptor describe(
    std::string_view name, std::source_location where = std::source_location::current()) {
  runner::CaseDescriptor descriptor;
  descriptor.name = name;
  descriptor.position = {where.file_name(), where.line(), where.column(),
                         static_cast<std::uint32_t>(where.column() + name.size())};
  descriptor.kind = runner::CaseKind::integration;
  descriptor.entry = &runner::adapt<Body>;
  return descriptor;
}

using namespace scenarios;

constexpr runner::CaseDescriptor full_chain =
    describe<full_hook_chain_deliver_check_idle>("full_hook_chain_deliver_check_idle");
constexpr runner::CaseDescriptor check_clears_idle =
    describe<hook_check_clears_idle_ready>("hook_check_clears_idle_ready");
constexpr runner::CaseDescriptor check_drains =
    describe<hook_check_drains_pending_message>("hook_check_drains_pending_message");
constexpr runner::CaseDescriptor check_empty =
    describe<hook_check_no_messages_returns_empty>("hook_check_no_messages_returns_empty");
constexpr runner::CaseDescriptor idle_leaves_inbox =
    describe<hook_idle_leaves_messages_for_poll>("hook_idle_leaves_messages_for_poll");
constexpr runner::CaseDescriptor idle_sets_ready =
    describe<hook_idle_sets_idle_ready>("hook_idle_sets_idle_ready");
constexpr runner::CaseDescriptor cache_populated =
    describe<session_cache_populated_on_lookup>("session_cache_populated_on_lookup");

constexpr std::array<const runner::CaseDescriptor*, 7> cases = {
    &full_chain,        &check_clears_idle, &check_drains,    &check_empty,
    &idle_leaves_inbox, &idle_sets_ready,   &cache_populated,
};

}  // namespace

runner::Registry registry() noexcept {
  return cases;
}

}  // namespace suite
