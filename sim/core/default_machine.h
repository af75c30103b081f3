#pragma once

namespace sim {

// The machine used when INVSIM_MACHINE is unset: a 64-bit laptop with the
// update packages installed. Its changes stay in memory.
extern const char kDefaultMachineJson[];
// Folders that exist below the built-in machine's C:\ (made at start).
extern const char* const kDefaultMachineFolders[];

}  // namespace sim
