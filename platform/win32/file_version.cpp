#include <windows.h>

#include <vector>

#include "platform/file_version.h"

namespace platform {

std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t size) {
  return ::GetModuleFileNameA(nullptr, buffer, size);
}

bool GetFileFixedVersion(const char* fileName, std::uint32_t* versionMs, std::uint32_t* versionLs) {
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(fileName, &handle);
  if (size == 0) return false;
  std::vector<unsigned char> data(size);
  if (!::GetFileVersionInfoA(fileName, 0, size, data.data())) return false;
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(data.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return false;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  *versionMs = fixed->dwFileVersionMS;
  *versionLs = fixed->dwFileVersionLS;
  return true;
}

}  // namespace platform
