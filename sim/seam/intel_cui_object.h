#pragma once
#include "platform/com.h"

// The Intel CUI object as the simulated COM service hands it out: a real
// method table over the machine's CUI model and panel. Every call and every
// bus transaction is traced; each transaction costs its simulated time.
namespace sim {

// A new object with one reference; null when the machine has no Intel GPU.
platform::ComInterface* NewIntelCuiObject();

}  // namespace sim
