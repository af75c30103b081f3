#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/files.h"

namespace platform {

Handle CreateFileW(const char16_t* name, std::uint32_t access, std::uint32_t share,
                   std::uint32_t disposition, std::uint32_t flags) {
  HANDLE file = ::CreateFileW(reinterpret_cast<const wchar_t*>(name), access, share, nullptr,
                              disposition, flags, nullptr);
  return reinterpret_cast<Handle>(file);
}

bool WriteFile(Handle file, const void* data, std::uint32_t size, std::uint32_t* written) {
  DWORD done = 0;
  const BOOL ok = ::WriteFile(reinterpret_cast<HANDLE>(file), data, size, &done, nullptr);
  if (written != nullptr) *written = done;
  return ok != FALSE;
}

bool CloseHandle(Handle handle) { return ::CloseHandle(reinterpret_cast<HANDLE>(handle)) != FALSE; }

Status LastError() { return static_cast<Status>(::GetLastError()); }

struct TextFile {
  std::FILE* file;
};

TextFile* OpenTextFile(const char* path, const char* mode) {
  std::string textMode;
  for (const char* m = mode; *m != 0; ++m) {
    if (*m != 't' && *m != 'b') textMode += *m;
  }
  textMode += 't';
  std::FILE* file = std::fopen(path, textMode.c_str());
  if (file == nullptr) return nullptr;
  return new TextFile{file};
}

bool WriteText(TextFile* file, const char* text, std::size_t length) {
  return file != nullptr && std::fwrite(text, 1, length, file->file) == length;
}

void FlushTextFile(TextFile* file) {
  if (file != nullptr) std::fflush(file->file);
}

bool CloseTextFile(TextFile* file) {
  if (file == nullptr) return false;
  const bool failedBefore = std::ferror(file->file) != 0;
  const bool closed = std::fclose(file->file) == 0;
  delete file;
  return closed && !failedBefore;
}

bool DeleteFileW(const char16_t* name) { return ::DeleteFileW(reinterpret_cast<const wchar_t*>(name)) != FALSE; }

bool MoveFileExW(const char16_t* from, const char16_t* to, std::uint32_t flags) {
  return ::MoveFileExW(reinterpret_cast<const wchar_t*>(from), reinterpret_cast<const wchar_t*>(to), flags) !=
         FALSE;
}

}  // namespace platform
