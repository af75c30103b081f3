#include <windows.h>

#include "platform/file_operations.h"

namespace platform {

std::uint32_t GetCurrentDirectoryA(std::uint32_t size, char* buffer) { return ::GetCurrentDirectoryA(size, buffer); }

bool CopyFileA(const char* existingName, const char* newName, bool failIfExists) {
  return ::CopyFileA(existingName, newName, failIfExists ? TRUE : FALSE) != FALSE;
}

bool DeleteFileA(const char* name) { return ::DeleteFileA(name) != FALSE; }

bool MoveFileExA(const char* from, const char* to, std::uint32_t flags) {
  return ::MoveFileExA(from, to, flags) != FALSE;
}

std::string GetFullPathNameA(const char* name) {
  char path[MAX_PATH];
  const DWORD length = ::GetFullPathNameA(name, sizeof path, path, nullptr);
  // 0 is a failure; a length beyond the buffer is the size it would need.
  if (length == 0 || length >= sizeof path) return "";
  return std::string(path, length);
}

}  // namespace platform
