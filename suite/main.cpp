#include "runner/runner.h"
#include "suite/registry.h"

int main(int argc, char** argv) {
  runner::run_main(argc, argv, suite::registry());
  return 0;
}
