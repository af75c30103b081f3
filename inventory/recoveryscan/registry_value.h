#pragma once
#include <cstddef>
#include <string>

#include "inventory/recoveryscan/run_log.h"
#include "platform/registry.h"

namespace inventory::recoveryscan {

// A registry value path names hive, key path and value name as
// "HIVE\key\path;ValueName"; each part is held in a buffer of this size.
inline constexpr std::size_t kSpecChars = 260;

// Declare it value-initialised ({}), which zeroes it; member initialisers
// would make the compiler copy a zeroed template kept in the program.
struct RegistrySpec {
  platform::RegKey hive;
  char keyPath[kSpecChars];
  char valueName[kSpecChars];
};

// False when the value path has no semicolon, no backslash before it, or a
// hive other than the four named in full and in capitals. Only its first 259
// characters are looked at.
bool ParseRegistrySpec(const char* valuePath, RegistrySpec* parsed);

// Opens the key for querying. On a 64-bit Windows the view is named: the
// 32-bit one when the path says "WOW6432NODE" in capitals, else the 64-bit one.
platform::Status OpenKeyForQuery(platform::RegKey hive, const char* keyPath, platform::RegKey* key);

// Reads the value the path names, whatever its type, as narrow text up to its
// first NUL (at most 260 bytes). text stays empty unless the read succeeds.
// An invalid value path and a key that cannot be opened are logged.
platform::Status QueryRegistrySpec(const char* valuePath, std::string* text, RunLog& log);

}  // namespace inventory::recoveryscan
