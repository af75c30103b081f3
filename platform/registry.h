#pragma once
#include <cstdint>

#include "platform/status.h"

// Registry access, one call per Win32 registry function.
namespace platform {

using RegKey = std::uintptr_t;

inline constexpr RegKey kHkeyClassesRoot = 0x80000000u;
inline constexpr RegKey kHkeyCurrentUser = 0x80000001u;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002u;
inline constexpr RegKey kHkeyUsers = 0x80000003u;

inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

inline constexpr std::uint32_t kRegOptionNonVolatile = 0;

// A view flag left out means the view of a 32-bit program: the 32-bit view
// on a 64-bit Windows.
Status RegOpenKeyW(RegKey root, const char16_t* subKey, std::uint32_t access, RegKey* key);
Status RegOpenKeyA(RegKey root, const char* subKey, std::uint32_t access, RegKey* key);
Status RegCreateKeyW(RegKey root, const char16_t* subKey, std::uint32_t options,
                     std::uint32_t access, RegKey* key);
// data may be null to ask for the size; *size is in and out, in bytes.
Status RegQueryValueW(RegKey key, const char16_t* name, std::uint32_t* type, std::uint8_t* data,
                      std::uint32_t* size);
Status RegQueryValueA(RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                      std::uint32_t* size);
Status RegSetValueW(RegKey key, const char16_t* name, std::uint32_t type, const std::uint8_t* data,
                    std::uint32_t size);
Status RegCloseKey(RegKey key);

}  // namespace platform
