#include "tests/kiv/support/sandbox.h"

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "driver/process.h"
#include "tests/kiv/support/process_id.h"

namespace kiv_test {

using driver::path_text;

std::string kiv_path() {
  return KIV_PATH;
}

Sandbox::Sandbox() : scratch_("kiv-test-"), home_(scratch_.path()) {
  fs::create_directories(kivery());
}

Sandbox::Sandbox(std::u8string_view home_name)
    : scratch_("kiv-test-"), home_(scratch_.path() / fs::path(home_name)) {
  fs::create_directories(kivery());
}

fs::path Sandbox::register_agent(const std::string& agent_id, const std::string& session_id) const {
  auto dir = perch(agent_id);
  fs::create_directories(dir / "inbox");
  write_file(dir / "info.json", "{\"kiv_id\":\"" + agent_id +
                                    "\",\"started\":\"12:00:00 PDT\",\"mode\":\"listen\",\"pid\":" +
                                    std::to_string(process_id()) + ",\"session_id\":\"" +
                                    session_id + "\",\"state\":\"listener\"}");
  write_file(dir / "ready", "");
  return dir;
}

ChildResult Sandbox::run(ChildOptions options, std::optional<std::string> session_env) const {
  return run_command({kiv_path()}, std::move(options), std::move(session_env));
}

ChildResult Sandbox::run_command(const std::vector<std::string>& command, ChildOptions options,
                                 std::optional<std::string> session_env) const {
  options.args.insert(options.args.begin(), command.begin() + 1, command.end());
  std::vector<std::pair<std::string, std::optional<std::string>>> env = {
      {"HOME", path_text(home_)},
      {"USERPROFILE", path_text(home_)},
      {"RUZ_HOME", path_text(root())},
      {"KIV_SESSION_ID", std::move(session_env)},
  };
  env.insert(env.end(), options.env.begin(), options.env.end());
  options.env = std::move(env);
  return run_child(command.at(0), options);
}

ChildResult Sandbox::run(std::vector<std::string> args, std::string input,
                         std::optional<std::string> session_env) const {
  ChildOptions options;
  options.args = std::move(args);
  options.input = std::move(input);
  return run(std::move(options), std::move(session_env));
}

ChildResult Sandbox::hook_check(const std::string& session_id) const {
  return run({"hook-check"}, "{\"session_id\":\"" + session_id + "\"}", session_id);
}

ChildResult Sandbox::hook_idle(const std::string& session_id) const {
  return run({"hook-idle"}, "{\"session_id\":\"" + session_id + "\",\"hook_event_name\":\"Stop\"}",
             session_id);
}

ChildResult Sandbox::deliver(const std::string& recipient, const std::string& sender,
                             const std::string& body) const {
  return run({"deliver", recipient, sender}, body);
}

std::string Sandbox::snapshot() const {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(home_)) {
    auto name = path_text(fs::relative(entry.path(), home_));
    if (entry.is_symlink()) {
      entries[name] = "link " + path_text(fs::read_symlink(entry.path()));
    } else if (entry.is_directory()) {
      entries[name] = "dir";
    } else {
      entries[name] = "file " + read_file(entry.path());
    }
  }
  std::ostringstream text;
  for (const auto& [name, what] : entries)
    text << name << ": " << what << "\n";
  return text.str();
}

void write_file(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out)
    throw std::runtime_error("cannot write " + path_text(path));
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  if (!in)
    throw std::runtime_error("cannot read " + path_text(path));
  return content.str();
}

bool entry_exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

}  // namespace kiv_test
