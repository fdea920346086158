#include "suite/registry.h"

#include <array>
#include <cstddef>
#include <source_location>
#include <string_view>
#include <utility>

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

// A case's descriptor, named after its body.
#define HOOK_CHAIN_CASE(body) describe<&scenarios::body>(#body)

constexpr std::array descriptors = {
    HOOK_CHAIN_CASE(full_hook_chain_deliver_check_idle),
    HOOK_CHAIN_CASE(hook_check_clears_idle_ready),
    HOOK_CHAIN_CASE(hook_check_drains_pending_message),
    HOOK_CHAIN_CASE(hook_check_no_messages_returns_empty),
    HOOK_CHAIN_CASE(hook_idle_leaves_messages_for_poll),
    HOOK_CHAIN_CASE(hook_idle_sets_idle_ready),
    HOOK_CHAIN_CASE(session_cache_populated_on_lookup),
};

#undef HOOK_CHAIN_CASE

constexpr bool names_ascend(const auto& table) {
  for (std::size_t i = 1; i < table.size(); ++i) {
    if (!(table[i - 1].name < table[i].name)) {
      return false;
    }
  }
  return true;
}
static_assert(names_ascend(descriptors), "the cases must stand in ascending byte order of names");

template <std::size_t... I>
constexpr auto addresses(std::index_sequence<I...>) {
  return std::array<const runner::CaseDescriptor*, sizeof...(I)>{&descriptors[I]...};
}

constexpr auto cases = addresses(std::make_index_sequence<descriptors.size()>());

}  // namespace

runner::Registry registry() noexcept {
  return cases;
}

}  // namespace suite
