#include "sim/default_machine.h"

namespace sim {

const char kDefaultMachineJson[] = R"json({
  "comment": "Built-in machine: a 64-bit laptop with the update packages installed.",
  "windows": 64,
  "administrator": true,
  "registry": {
    "HKLM\\SOFTWARE\\WOW6432Node\\ORVO\\ManageableUpdatePackage\\ZerbixRemovalTool": {
      "Version": "2.5.0"
    },
    "HKLM\\SOFTWARE\\ORVO\\ManageableUpdatePackage\\ThermalPpkg": {
      "Version": "1.0.0.5"
    }
  },
  "installer": {
    "products": [
      {
        "productCode": "{6F1D3A52-8C47-4E0B-9A21-3B5C7D9E0F14}",
        "upgradeCode": "{2253CAA0-0BA2-461C-A50E-FC18228EBADD}",
        "context": "machine",
        "properties": {
          "InstalledProductName": "Orvo Sentiva OS Recovery Application",
          "VersionString": "10.1.20300"
        }
      }
    ]
  }
})json";

}  // namespace sim
