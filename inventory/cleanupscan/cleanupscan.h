#pragma once
#include <string>
#include <vector>

#include "platform/status.h"

// Inventory of the driver-removal tool; keeps its recorded version in step
// with whether the old utility driver is still present.
namespace inventory::cleanupscan {

enum class ProbeVariant { A, B };

bool ProbeRemovalDriver(ProbeVariant variant);
std::u16string ReadPackageVersion();
platform::Status WritePackageVersion(const char* version);

// Arguments without the program name. Returns the exit code (always 0).
int Run(const std::vector<std::u16string>& arguments);

}  // namespace inventory::cleanupscan
