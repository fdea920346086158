#include "kiv/deliver.h"

#include "kiv/clock.h"
#include "kiv/kivery.h"
#include "kiv/os.h"
#include "kiv/quote.h"
#include "kiv/sentinels.h"
#include "kiv/spool_store.h"

namespace kiv {
namespace {

bool check_id(const char* role, const std::string& id, std::ostream& diagnostics) {
  if (is_safe_agent_id(id))
    return true;
  diagnostics << "kiv deliver: invalid " << role << " id " << quote(id)
              << ": an agent id is 1 to 128 letters, digits, '-', '_' or '.', "
                 "not starting with '.'\n";
  return false;
}

}  // namespace

int deliver(const std::string& recipient, const std::string& sender, std::ostream& diagnostics) {
  if (!check_id("recipient", recipient, diagnostics) || !check_id("sender", sender, diagnostics)) {
    return exit_usage;
  }
  try {
    auto kivery = kivery_directory(data_root());
    if (!is_registered(kivery, recipient)) {
      diagnostics << "kiv deliver: no such agent: " << quote(recipient) << " (no perch in "
                  << quote(kivery.string()) << ")\n";
      return exit_failed;
    }
    auto body = os::read_standard_input();
    auto perch = perch_of(kivery, recipient);
    queue_message(perch, sender, body, seconds_since_epoch());
    // Set only after the commit: whoever sees it finds the message.
    os::create_sentinel(perch, has_messages_name);
    return exit_ok;
  } catch (const std::exception& problem) {
    diagnostics << "kiv deliver: " << problem.what() << "\n";
    return exit_failed;
  }
}

}  // namespace kiv
