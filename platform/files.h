#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/status.h"

// Files and devices, opened as CreateFileW opens them, and text files written
// through the C runtime in text mode.
namespace platform {

using Handle = std::uintptr_t;
inline constexpr Handle kInvalidHandle = static_cast<Handle>(-1);

inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kGenericWrite = 0x40000000u;
inline constexpr std::uint32_t kFileShareRead = 0x1;
inline constexpr std::uint32_t kFileShareWrite = 0x2;
inline constexpr std::uint32_t kCreateAlways = 2;
inline constexpr std::uint32_t kOpenExisting = 3;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;
inline constexpr std::uint32_t kMovefileReplaceExisting = 0x1;
inline constexpr std::uint32_t kMovefileWriteThrough = 0x8;

// Returns kInvalidHandle on failure; LastError() then tells why.
Handle CreateFileW(const char16_t* name, std::uint32_t access, std::uint32_t share,
                   std::uint32_t disposition, std::uint32_t flags);
bool WriteFile(Handle file, const void* data, std::uint32_t size, std::uint32_t* written);
bool CloseHandle(Handle handle);
bool DeleteFileW(const char16_t* name);
bool MoveFileExW(const char16_t* from, const char16_t* to, std::uint32_t flags);

// A C runtime stream opened in text mode: each LF written reaches the file as
// CR LF. mode is fopen's ("w", "at+", ...) without the text/binary letter.
// WriteText is false when the stream took less than all of the text;
// CloseTextFile is false when any write of the stream failed, including the
// buffered bytes that closing writes out.
struct TextFile;
TextFile* OpenTextFile(const char* path, const char* mode);
bool WriteText(TextFile* file, const char* text, std::size_t length);
void FlushTextFile(TextFile* file);
bool CloseTextFile(TextFile* file);

}  // namespace platform
