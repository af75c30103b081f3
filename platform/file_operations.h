#pragma once
#include <cstdint>
#include <string>

// Whole-file operations by name, narrow text in the ANSI code page.
namespace platform {

// GetCurrentDirectoryA: the length written without the terminator, or, when
// the buffer is too small, the size needed with it; 0 on failure.
std::uint32_t GetCurrentDirectoryA(std::uint32_t size, char* buffer);
// CopyFileA: false when the copy failed.
bool CopyFileA(const char* existingName, const char* newName, bool failIfExists);
// DeleteFileA: false when the file could not be deleted.
bool DeleteFileA(const char* name);
// MoveFileExA with the flags of platform/files.h (kMovefileReplaceExisting, ...).
bool MoveFileExA(const char* from, const char* to, std::uint32_t flags);
// GetFullPathNameA: the absolute form of a name, "" when it has none.
std::string GetFullPathNameA(const char* name);

}  // namespace platform
