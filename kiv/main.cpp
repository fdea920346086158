// kiv: messages between agents on one machine, and the hooks through which it
// plugs into the coding-agent host.
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "kiv/deliver.h"
#include "kiv/hooks.h"
#include "kiv/os.h"
#include "kiv/quote.h"

int main(int argc, char** argv) {
  kiv::os::prepare_process();

  CLI::App app{"kiv: messages between agents, and the host's hooks", "kiv"};
  // The same words on every platform: on Windows CLI11 would otherwise take an
  // argument such as "/abs" for an option, never for the id it is. Subcommands
  // copy this setting, so it comes first.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", KIV_VERSION);
  app.require_subcommand(1);

  auto* check = app.add_subcommand("hook-check", "Hand the agent its pending messages");
  auto* idle = app.add_subcommand("hook-idle", "Mark the agent idle-ready (the Stop event)");
  // A hook must not fail its host over a word it does not know: extra
  // arguments are noted and ignored, the hook still runs and exits 0.
  check->allow_extras();
  idle->allow_extras();
  auto* deliver = app.add_subcommand("deliver", "Post the message on standard input to an agent");
  std::string recipient;
  std::string sender;
  deliver->add_option("recipient", recipient, "The receiving agent's id")->required();
  deliver->add_option("sender", sender, "The sending agent's id")->required();

  const std::vector<std::string> arguments = kiv::os::arguments(argc, argv);
  std::vector<const char*> pointers;
  for (const auto& argument : arguments)
    pointers.push_back(argument.c_str());
  try {
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::ParseError& error) {
    int status = app.exit(error);
    return status == 0 ? 0 : kiv::exit_usage;
  }

  for (auto* hook : {check, idle}) {
    if (!*hook)
      continue;
    for (const auto& extra : hook->remaining())
      std::cerr << "kiv " << hook->get_name() << ": ignoring the argument " << kiv::quote(extra)
                << "\n";
    return hook == check ? kiv::hook_check(std::cerr) : kiv::hook_idle(std::cerr);
  }
  return kiv::deliver(recipient, sender, std::cerr);
}
