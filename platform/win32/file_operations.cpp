#include <windows.h>

#include "platform/file_operations.h"

namespace platform {

std::uint32_t GetCurrentDirectoryA(std::uint32_t size, char* buffer) { return ::GetCurrentDirectoryA(size, buffer); }

bool CopyFileA(const char* existingName, const char* newName, bool failIfExists) {
  return ::CopyFileA(existingName, newName, failIfExists ? TRUE : FALSE) != FALSE;
}

bool DeleteFileA(const char* name) { return ::DeleteFileA(name) != FALSE; }

}  // namespace platform
