#include "runner/selection.h"

#include <algorithm>
#include <string>

namespace runner {
namespace {

bool matches(std::string_view name, const std::string& pattern, bool exact) {
  return exact ? name == pattern : name.find(pattern) != std::string_view::npos;
}

bool matches_any(std::string_view name, const std::vector<std::string>& patterns, bool exact) {
  return std::any_of(patterns.begin(), patterns.end(),
                     [&](const std::string& pattern) { return matches(name, pattern, exact); });
}

bool kept(const CaseDescriptor& c, const Options& options) {
  if (!options.filters.empty() && !matches_any(c.name, options.filters, options.exact)) {
    return false;
  }
  if (matches_any(c.name, options.skips, options.exact))
    return false;
  return options.ignored != IgnoredCases::only || c.ignore;
}

bool runs(const CaseDescriptor& c, const Options& options) {
  if (!options.run_cases())
    return false;
  return !c.ignore || options.ignored != IgnoredCases::reported;
}

}  // namespace

Selection select_cases(Registry registry, const Options& options) {
  Selection selection;
  for (const CaseDescriptor* c : registry) {
    if (kept(*c, options)) {
      selection.cases.push_back({c, runs(*c, options)});
    } else {
      ++selection.filtered_out;
    }
  }
  return selection;
}

}  // namespace runner
