#pragma once
// How a harness reports a broken promise, apart from the input helpers so that
// a harness of the platform code needs nothing of the protocol.

#include <cstdio>

namespace fuzz {

// A broken promise of the code under test: a finding, as a crash would be.
[[noreturn]] inline void Broken(const char* what) {
  std::fprintf(stderr, "broken: %s\n", what);
  __builtin_trap();
}

}  // namespace fuzz
