#pragma once
#include <cstdint>

// The platform's private-profile (INI file) calls, narrow text, one call per
// Win32 function.
namespace platform {

// GetPrivateProfileStringA with a section and a key: copies the value, or
// the default when the file, the section or the key is missing, into
// buffer (size bytes, terminator included) and returns the count copied
// without the terminator.
std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                       char* buffer, std::uint32_t size, const char* fileName);

// WritePrivateProfileStringA: stores a value; a null value removes the key,
// a null key the whole section. False when the file cannot be written.
bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName);

}  // namespace platform
