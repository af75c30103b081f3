#include <windows.h>

#include "platform/registry.h"

namespace platform {
namespace {

HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }
const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// The 64-bit test build stands in for the 32-bit program, whose unnamed view
// is the 32-bit one: name it, so both builds reach the same keys.
REGSAM ProgramView(std::uint32_t access) {
#ifdef _WIN64
  if ((access & (KEY_WOW64_32KEY | KEY_WOW64_64KEY)) == 0) return access | KEY_WOW64_32KEY;
#endif
  return access;
}

}  // namespace

Status RegOpenKeyW(RegKey root, const char16_t* subKey, std::uint32_t access, RegKey* key) {
  HKEY opened = nullptr;
  const LSTATUS status = ::RegOpenKeyExW(ToHkey(root), Wide(subKey), 0, ProgramView(access), &opened);
  *key = reinterpret_cast<RegKey>(opened);
  return status;
}

Status RegOpenKeyA(RegKey root, const char* subKey, std::uint32_t access, RegKey* key) {
  HKEY opened = nullptr;
  const LSTATUS status = ::RegOpenKeyExA(ToHkey(root), subKey, 0, ProgramView(access), &opened);
  *key = reinterpret_cast<RegKey>(opened);
  return status;
}

Status RegCreateKeyW(RegKey root, const char16_t* subKey, std::uint32_t options,
                     std::uint32_t access, RegKey* key) {
  HKEY created = nullptr;
  const LSTATUS status = ::RegCreateKeyExW(ToHkey(root), Wide(subKey), 0, nullptr, options,
                                           ProgramView(access), nullptr, &created, nullptr);
  *key = reinterpret_cast<RegKey>(created);
  return status;
}

Status RegQueryValueW(RegKey key, const char16_t* name, std::uint32_t* type, std::uint8_t* data,
                      std::uint32_t* size) {
  DWORD valueType = 0, valueSize = size != nullptr ? *size : 0;
  const LSTATUS status = ::RegQueryValueExW(ToHkey(key), Wide(name), nullptr, &valueType, data,
                                            size != nullptr ? &valueSize : nullptr);
  if (type != nullptr) *type = valueType;
  if (size != nullptr) *size = valueSize;
  return status;
}

Status RegQueryValueA(RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                      std::uint32_t* size) {
  DWORD valueType = 0, valueSize = size != nullptr ? *size : 0;
  const LSTATUS status = ::RegQueryValueExA(ToHkey(key), name, nullptr, &valueType, data,
                                            size != nullptr ? &valueSize : nullptr);
  if (type != nullptr) *type = valueType;
  if (size != nullptr) *size = valueSize;
  return status;
}

Status RegSetValueW(RegKey key, const char16_t* name, std::uint32_t type, const std::uint8_t* data,
                    std::uint32_t size) {
  return ::RegSetValueExW(ToHkey(key), Wide(name), 0, type, data, size);
}

Status RegCloseKey(RegKey key) { return ::RegCloseKey(ToHkey(key)); }

}  // namespace platform
