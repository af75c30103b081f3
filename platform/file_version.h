#pragma once
#include <cstdint>

// The program's own file and the fixed file version of a version resource.
namespace platform {

// GetModuleFileNameA for the running program: the length written without
// the terminator; 0 on failure, and size when the name was cut to fit.
std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t size);

// The dwFileVersionMS and dwFileVersionLS of a file's version resource
// (GetFileVersionInfoSizeA, GetFileVersionInfoA, VerQueryValueA "\"): false
// when the file has none.
bool GetFileFixedVersion(const char* fileName, std::uint32_t* versionMs, std::uint32_t* versionLs);

}  // namespace platform
