#pragma once
#include <cstddef>

#include "inventory/recoveryscan/run_log.h"
#include "platform/status.h"

namespace inventory::recoveryscan {

inline constexpr std::size_t kProductNameChars = 1024;
inline constexpr std::size_t kProductVersionChars = 260;

// What the installer told about the product; a text stays empty unless its
// query succeeded.
// Declare it value-initialised ({}), which zeroes it; member initialisers
// would make the compiler copy a zeroed template kept in the program.
struct InstallerProduct {
  char name[kProductNameChars];
  char version[kProductVersionChars];
};

// Asks the installer for the first product that carries the upgrade code and
// reads its name and version as installed per machine, logging each failure.
void QueryInstallerProduct(const char* upgradeCode, InstallerProduct* product, RunLog& log);

// Tells the debugger or the log how a property query ended; returns code.
platform::Status ReportInstallerResult(platform::Status code, RunLog& log);

}  // namespace inventory::recoveryscan
