// recoveryscan's registry value path, "HIVE\key\path;ValueName", against the
// rules written out a second time here.
#include <cstring>
#include <string>

#include "inventory/recoveryscan/registry_value.h"
#include "platform/registry.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

struct Expected {
  bool valid = false;
  platform::RegKey hive = 0;
  std::string keyPath, valueName;
};

Expected Rules(std::string text) {
  Expected expected;
  text = text.substr(0, text.find('\0')).substr(0, 259);
  const auto semicolon = text.find(';');
  if (semicolon == std::string::npos) return expected;
  const auto backslash = text.find('\\');
  expected.valueName = text.substr(semicolon + 1);
  if (backslash == std::string::npos || backslash > semicolon) return expected;
  expected.keyPath = text.substr(backslash + 1, semicolon - backslash - 1);
  const std::string hive = text.substr(0, backslash);
  const std::pair<const char*, platform::RegKey> hives[] = {{"HKEY_LOCAL_MACHINE", platform::kHkeyLocalMachine},
                                                            {"HKEY_CURRENT_USER", platform::kHkeyCurrentUser},
                                                            {"HKEY_CLASSES_ROOT", platform::kHkeyClassesRoot},
                                                            {"HKEY_USERS", platform::kHkeyUsers}};
  for (const auto& [name, key] : hives) {
    if (hive == name) {
      expected.valid = true;
      expected.hive = key;
    }
  }
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string terminated = text.substr(0, text.find('\0'));
  inventory::recoveryscan::RegistrySpec parsed{};
  const bool valid = inventory::recoveryscan::ParseRegistrySpec(terminated.c_str(), &parsed);
  const Expected expected = Rules(text);
  FUZZ_CHECK(valid == expected.valid);
  if (valid) {
    FUZZ_CHECK(parsed.hive == expected.hive);
    FUZZ_CHECK(parsed.keyPath == expected.keyPath);
  }
  // The value name is taken whenever there is a semicolon.
  if (terminated.substr(0, 259).find(';') != std::string::npos) FUZZ_CHECK(parsed.valueName == expected.valueName);
  return 0;
}
