#include "sim/default_machine.h"

namespace sim {

const char kDefaultMachineJson[] = R"json({
  "comment": "Built-in machine: a 64-bit laptop with the update packages installed.",
  "windows": 64,
  "administrator": true,
  "registry": {
    "HKLM\\SOFTWARE\\WOW6432Node\\ORVO\\ManageableUpdatePackage\\ZerbixRemovalTool": {
      "Version": "2.5.0"
    }
  }
})json";

}  // namespace sim
