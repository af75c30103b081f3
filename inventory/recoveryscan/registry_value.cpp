#include "inventory/recoveryscan/registry_value.h"

#include <cstdint>
#include <cstring>

#include "inventory/common/wow64.h"

namespace inventory::recoveryscan {
namespace {

struct HiveName {
  const char* name;
  platform::RegKey key;
};

constexpr HiveName kHives[] = {
    {"HKEY_LOCAL_MACHINE", platform::kHkeyLocalMachine},
    {"HKEY_CURRENT_USER", platform::kHkeyCurrentUser},
    {"HKEY_CLASSES_ROOT", platform::kHkeyClassesRoot},
    {"HKEY_USERS", platform::kHkeyUsers},
};

constexpr std::uint32_t kValueBufferBytes = 260;

}  // namespace

bool ParseRegistrySpec(const char* valuePath, RegistrySpec* parsed) {
  char text[kSpecChars] = {};
  std::memcpy(text, valuePath, strnlen(valuePath, kSpecChars - 1));
  char* semicolon = std::strchr(text, ';');
  if (semicolon == nullptr) return false;
  char* backslash = std::strchr(text, '\\');
  std::strcpy(parsed->valueName, semicolon + 1);  // both buffers hold kSpecChars
  *semicolon = 0;
  if (backslash == nullptr || backslash > semicolon) return false;
  std::strcpy(parsed->keyPath, backslash + 1);
  *backslash = 0;
  for (const HiveName& hive : kHives) {
    if (std::strcmp(text, hive.name) == 0) {
      parsed->hive = hive.key;
      return true;
    }
  }
  return false;
}

platform::Status OpenKeyForQuery(platform::RegKey hive, const char* keyPath,
                                 platform::RegKey* key) {
  std::uint32_t access = platform::kKeyQueryValue;
  if (IsRunningUnderWow64()) {
    access |= std::strstr(keyPath, "WOW6432NODE") != nullptr ? platform::kKeyWow64_32Key
                                                              : platform::kKeyWow64_64Key;
  }
  return platform::RegOpenKeyA(hive, keyPath, access, key);
}

platform::Status QueryRegistrySpec(const char* valuePath, std::string* text, RunLog& log) {
  text->clear();
  RegistrySpec parsed{};
  if (!ParseRegistrySpec(valuePath, &parsed)) {
    log.Write("Result: No registry data found. Write Zero inventory \n");
    return platform::kErrorInvalidParameter;
  }
  platform::RegKey key = 0;
  const platform::Status opened = OpenKeyForQuery(parsed.hive, parsed.keyPath, &key);
  if (opened != platform::kSuccess) {
    log.Write("Result: No registry data found.  Write Zero inventory \n");
    return opened;
  }
  std::uint8_t buffer[kValueBufferBytes] = {};
  std::uint32_t size = sizeof buffer;
  std::uint32_t type = 0;
  const platform::Status status =
      platform::RegQueryValueA(key, parsed.valueName, &type, buffer, &size);
  platform::RegCloseKey(key);
  if (status == platform::kSuccess) {
    // The size comes from the registry: never read past the buffer.
    const std::size_t bytes = size < sizeof buffer ? size : sizeof buffer;
    const auto* chars = reinterpret_cast<const char*>(buffer);
    text->assign(chars, strnlen(chars, bytes));
  }
  return status;
}

}  // namespace inventory::recoveryscan
