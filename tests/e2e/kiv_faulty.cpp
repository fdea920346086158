// A kiv tool with one fault. It runs the bundled kiv with the same arguments,
// standard input and environment, passes its output and exit code through, and
// then spoils the result the way the fault named by KIV_FAULT says. Each fault
// hits one case only, by the session id (hooks) or the recipient (deliver) it
// sees, so the other cases of a Suite run still meet a sound tool. Without
// KIV_FAULT, or with KIV_FAULT=none, it is the bundled tool.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "driver/kiv_command.h"
#include "driver/process.h"
#include "tests/support/test_tool.h"

namespace {

namespace fs = std::filesystem;

// One run of the tool as the fault sees and changes it.
struct Run {
  std::string subcommand;
  std::string target;  // KIV_SESSION_ID for hooks, the recipient for deliver
  fs::path kivery;     // $RUZ_HOME/kivery
  std::optional<int> exit_code;
  std::string out;
  std::string err;

  fs::path perch(std::string_view agent) const { return kivery / agent; }
};

void write_file(const fs::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
  file.close();
  if (!file) {
    throw std::runtime_error("cannot write " + driver::path_text(path));
  }
}

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

void execute_sql(const fs::path& database, const char* statement) {
  sqlite3* db = nullptr;
  int rc =
      sqlite3_open_v2(driver::path_text(database).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_exec(db, statement, nullptr, nullptr, nullptr);
  }
  std::string error = sqlite3_errmsg(db);
  sqlite3_close(db);
  if (rc != SQLITE_OK) {
    throw std::runtime_error(driver::path_text(database) + ": " + error);
  }
}

void move_messages_out_of_inbox(const fs::path& perch) {
  fs::create_directories(perch / "delivered");
  for (const auto& entry : fs::directory_iterator(perch / "inbox")) {
    fs::rename(entry.path(), perch / "delivered" / entry.path().filename());
  }
}

struct Fault {
  std::string_view name;
  std::string_view subcommand;
  std::string_view target;
  void (*spoil)(Run&);
};

// A fault may take several rows; every row whose subcommand and target match applies.
const Fault faults[] = {
    // hook_check_no_messages_returns_empty
    {"check-exits-1", "hook-check", "test-session-empty-001", [](Run& r) { r.exit_code = 1; }},
    {"check-prints-empty-object", "hook-check", "test-session-empty-001",
     [](Run& r) { r.out += "{}"; }},
    {"check-prints-padded-object", "hook-check", "test-session-empty-001",
     [](Run& r) { r.out += "\u00A0{}\u3000\n"; }},
    {"check-prints-unicode-blank", "hook-check", "test-session-empty-001",
     [](Run& r) { r.out += "\u3000\u2028\u00A0\u0085\t \n"; }},
    {"check-prints-on-stderr", "hook-check", "test-session-empty-001",
     [](Run& r) { r.err += "{\"warning\":\"noise on stderr\"}\n"; }},

    // hook_check_drains_pending_message
    {"check-treats-ttl-0-as-expired", "hook-check", "test-session-msg-002",
     [](Run& r) {
       execute_sql(r.perch("msg-agent") / "spool.db", "UPDATE messages SET delivered = 0");
       r.out.clear();
     }},
    {"check-loses-body", "hook-check", "test-session-msg-002",
     [](Run& r) {
       r.out = R"({"hookSpecificOutput":{"additionalContext":"<kiv_messages></kiv_messages>"}})";
     }},
    {"check-shouts-element", "hook-check", "test-session-msg-002",
     [](Run& r) {
       r.out = R"({"hookSpecificOutput":{"additionalContext":)"
               R"("<KIV_MESSAGES>Hello from integration test</KIV_MESSAGES>"}})";
     }},
    {"check-deletes-row", "hook-check", "test-session-msg-002",
     [](Run& r) {
       execute_sql(r.perch("msg-agent") / "spool.db", "DELETE FROM messages WHERE delivered = 1");
     }},
    {"check-keeps-has-messages", "hook-check", "test-session-msg-002",
     [](Run& r) { write_file(r.perch("msg-agent") / ".has-messages", ""); }},

    // hook_check_clears_idle_ready
    {"check-busy-exits-1", "hook-check", "test-session-idle-003", [](Run& r) { r.exit_code = 1; }},
    {"check-keeps-idle-ready", "hook-check", "test-session-idle-003",
     [](Run& r) { write_file(r.perch("idle-agent") / ".idle-ready", ""); }},

    // hook_idle_sets_idle_ready
    {"idle-exits-2", "hook-idle", "test-session-idle-004", [](Run& r) { r.exit_code = 2; }},
    {"idle-killed", "hook-idle", "test-session-idle-004", [](Run& r) { r.exit_code.reset(); }},
    {"idle-skips-idle-ready", "hook-idle", "test-session-idle-004",
     [](Run& r) { fs::remove(r.perch("idle-set-agent") / ".idle-ready"); }},

    // hook_idle_leaves_messages_for_poll
    {"idle-prints-line-feed", "hook-idle", "test-session-idle-drain-005",
     [](Run& r) { r.out += "\n"; }},
    {"idle-moves-inbox-file", "hook-idle", "test-session-idle-drain-005",
     [](Run& r) { move_messages_out_of_inbox(r.perch("idle-drain-agent")); }},
    {"idle-adds-inbox-file", "hook-idle", "test-session-idle-drain-005",
     [](Run& r) { write_file(r.perch("idle-drain-agent") / "inbox" / "1-1.msg", "copy"); }},
    {"idle-drain-skips-idle-ready", "hook-idle", "test-session-idle-drain-005",
     [](Run& r) { fs::remove(r.perch("idle-drain-agent") / ".idle-ready"); }},

    // session_cache_populated_on_lookup
    {"check-skips-session-cache", "hook-check", "test-session-cache-006",
     [](Run& r) { fs::remove(r.kivery / ".session-cache"); }},
    {"cache-lacks-session", "hook-check", "test-session-cache-006",
     [](Run& r) { write_file(r.kivery / ".session-cache", "cache-agent\n"); }},
    {"cache-lacks-agent", "hook-check", "test-session-cache-006",
     [](Run& r) {
       write_file(r.kivery / ".session-cache", R"({"test-session-cache-006":"Cache-Agent"})");
     }},
    {"cache-invalid-utf8", "hook-check", "test-session-cache-006",
     [](Run& r) {
       write_file(r.kivery / ".session-cache", "test-session-cache-006 \xff cache-agent");
     }},

    // full_hook_chain_deliver_check_idle
    {"deliver-fails", "deliver", "chain-agent",
     [](Run& r) {
       r.exit_code = 3;
       r.err = "kiv: cannot deliver to chain-agent: \xff spool is busy\n";
     }},
    {"deliver-skips-has-messages", "deliver", "chain-agent",
     [](Run& r) { fs::remove(r.perch("chain-agent") / ".has-messages"); }},
    {"chain-check-prints-on-stderr", "hook-check", "test-session-chain-007",
     [](Run& r) { r.err += std::exchange(r.out, {}); }},
    {"chain-check-keeps-has-messages", "hook-check", "test-session-chain-007",
     [](Run& r) { write_file(r.perch("chain-agent") / ".has-messages", ""); }},
    {"chain-check-creates-idle-ready", "hook-check", "test-session-chain-007",
     [](Run& r) { write_file(r.perch("chain-agent") / ".idle-ready", ""); }},
    {"chain-idle-reprints", "hook-check", "test-session-chain-007",
     [](Run& r) { write_file(r.perch("chain-agent") / ".faulty-drained", r.out); }},
    {"chain-idle-reprints", "hook-idle", "test-session-chain-007",
     [](Run& r) { r.out += read_file(r.perch("chain-agent") / ".faulty-drained"); }},
};

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

Run run_bundled_kiv(const std::vector<std::string>& args) {
  driver::Command command(driver::kiv_executable());
  for (const auto& arg : args) {
    command.arg(arg);
  }
  std::string input{std::istreambuf_iterator<char>(std::cin), {}};

  driver::Child child = driver::spawn(command);
  try {
    child.write_stdin(input);
  } catch (const std::system_error&) {
    // The tool closed its input without reading all of it: its own business.
  }
  driver::ProcessOutput output = child.wait_with_output();

  Run run;
  run.subcommand = args.empty() ? "" : args[0];
  run.target = run.subcommand == "deliver" ? (args.size() > 1 ? args[1] : "")
                                           : environment("KIV_SESSION_ID");
  run.kivery = fs::path(environment("RUZ_HOME")) / "kivery";
  run.exit_code = output.exit_code;
  run.out = std::move(output.stdout_bytes);
  run.err = std::move(output.stderr_bytes);
  return run;
}

bool is_known(std::string_view fault) {
  if (fault == "none") {
    return true;
  }
  for (const Fault& f : faults) {
    if (f.name == fault) {
      return true;
    }
  }
  return false;
}

void spoil(std::string_view fault, Run& run) {
  for (const Fault& f : faults) {
    if (f.name == fault && f.subcommand == run.subcommand && f.target == run.target) {
      f.spoil(run);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  test_tool::use_binary_standard_streams();
  std::cin.exceptions(std::ios::badbit);
  std::ios::sync_with_stdio(false);
  const std::string fault = environment("KIV_FAULT");
  try {
    if (!fault.empty() && !is_known(fault)) {
      throw std::runtime_error("unknown KIV_FAULT '" + fault + "'");
    }
    Run run = run_bundled_kiv({argv + 1, argv + argc});
    spoil(fault, run);
    std::cout << run.out << std::flush;
    std::cerr << run.err << std::flush;
    if (!run.exit_code) {
      test_tool::die_abnormally();  // the bundled kiv had none, or the fault took it
    }
    return *run.exit_code;
  } catch (const std::exception& error) {
    std::cerr << "kiv_faulty: " << error.what() << "\n";
    return 99;
  }
}
