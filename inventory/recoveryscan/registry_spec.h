#pragma once
#include <cstddef>
#include <string>

#include "inventory/recoveryscan/run_log.h"
#include "platform/registry.h"

namespace recoveryscan {

// A registry spec names hive, key path and value name as
// "HIVE\key\path;ValueName"; each part is held in a buffer of this size.
inline constexpr std::size_t kSpecChars = 260;

struct RegistrySpec {
  platform::RegKey hive = 0;
  char keyPath[kSpecChars] = {};
  char valueName[kSpecChars] = {};
};

// False when the spec has no semicolon, no backslash before it, or a hive
// other than the four named in full and in capitals. Only the first 259
// characters of the spec are looked at.
bool ParseRegistrySpec(const char* spec, RegistrySpec* parsed);

// Opens the key for querying. On a 64-bit Windows the view is named: the
// 32-bit one when the path says "WOW6432NODE" in capitals, else the 64-bit one.
platform::Status OpenKeyForQuery(platform::RegKey hive, const char* keyPath, platform::RegKey* key);

// Reads the value the spec names, whatever its type, as narrow text up to its
// first NUL (at most 260 bytes). text stays empty unless the read succeeds.
// An invalid spec and a key that cannot be opened are logged.
platform::Status QueryRegistrySpec(const char* spec, std::string* text, RunLog& log);

}  // namespace recoveryscan
