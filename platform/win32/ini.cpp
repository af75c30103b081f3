#include <windows.h>

#include "platform/ini.h"

namespace platform {

std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                       char* buffer, std::uint32_t size, const char* fileName) {
  return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
  return ::WritePrivateProfileStringA(section, key, value, fileName) != FALSE;
}

}  // namespace platform
