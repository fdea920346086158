// Stand-in tool whose first argument picks a misbehaviour:
//   exit-N          read the input, exit with N
//   killed          read the input, die abnormally (SIGKILL; a crash's status on Windows)
//   invalid-utf8    read the input, print bytes that are not UTF-8
//   flood           read the input, print 10 MB on standard error, then 10 MB on output
//   no-read         close standard input unread and exit
//   no-read-finish  close standard input unread, then after a while create $HOME/finished
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>

#include "tests/support/test_tool.h"

namespace {

constexpr std::size_t flood_size = 10 * 1024 * 1024;

void read_input() {
  char buffer[4096];
  while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
  }
}

void write_all(std::FILE* stream, std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
  test_tool::use_binary_standard_streams();
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (mode == "no-read") {
    std::fclose(stdin);
    return 3;
  }
  if (mode == "no-read-finish") {
    std::fclose(stdin);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::ofstream(std::string(std::getenv("HOME")) + "/finished") << "done";
    return 0;
  }

  read_input();
  if (mode.starts_with("exit-"))
    return std::atoi(argv[1] + 5);
  if (mode == "killed")
    test_tool::die_abnormally();
  if (mode == "invalid-utf8") {
    write_all(stdout, "ok \xff\xfe end\n");
    write_all(stderr, "cut \xe2\x82");
    return 0;
  }
  if (mode == "flood") {
    write_all(stderr, std::string(flood_size, 'e'));
    write_all(stdout, std::string(flood_size, 'o'));
    return 0;
  }
  return 100;
}
