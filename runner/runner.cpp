#include "runner/runner.h"

#include <cstdlib>
#include <iostream>

#include "runner/failure.h"

namespace runner {

// Placeholder until the full runner lands: runs every case in order.
void run_main(int, char**, Registry registry) {
  bool failed = false;
  for (const CaseDescriptor* c : registry) {
    try {
      c->entry();
      std::cout << "test " << c->name << " ... ok\n";
    } catch (const Failure& f) {
      failed = true;
      std::cout << "test " << c->name << " ... FAILED\n" << f.message() << "\n";
    }
  }
  if (failed) std::exit(101);
}

}  // namespace runner
