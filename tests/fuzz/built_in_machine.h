#pragma once
#include "sim/core/machine.h"

// The simulated machine a fuzz target works on: the built-in one, loaded
// with the first input and kept for all others.
inline void UseBuiltInMachineOnce() {
  static const bool loaded = (sim::UseBuiltInMachine(), true);
  (void)loaded;
}
