#pragma once
#include <map>
#include <string>

#include "platform/status.h"

namespace sim {

// A product registered with the Windows Installer.
enum class InstallContext { Machine, UserUnmanaged, UserManaged };
struct InstalledProduct {
  std::string productCode;  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
  std::string upgradeCode;  // same form; empty: none
  InstallContext context = InstallContext::Machine;
  std::map<std::string, std::string> properties;     // UTF-8 text by property name
  std::map<std::string, platform::Status> failures;  // property queries that fail with a code
  bool unterminated = false;  // misbehaves: answers fill the buffer with no terminator
};

}  // namespace sim
