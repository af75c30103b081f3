#pragma once
#include <cstdint>

// Status codes and flag values as the Windows API defines them: module logic
// branches on these numbers, so both implementations of the seam use them.
namespace platform {

using Status = long;

inline constexpr Status kSuccess = 0;
inline constexpr Status kErrorInvalidFunction = 1;
inline constexpr Status kErrorFileNotFound = 2;
inline constexpr Status kErrorPathNotFound = 3;
inline constexpr Status kErrorAccessDenied = 5;
inline constexpr Status kErrorInvalidHandle = 6;
inline constexpr Status kErrorInvalidData = 13;
inline constexpr Status kErrorSharingViolation = 32;
inline constexpr Status kErrorInvalidParameter = 87;
inline constexpr Status kErrorInsufficientBuffer = 122;
inline constexpr Status kErrorModNotFound = 126;
inline constexpr Status kErrorProcNotFound = 127;
inline constexpr Status kErrorMoreData = 234;
inline constexpr Status kErrorNoMoreItems = 259;
inline constexpr Status kErrorIoDevice = 1117;
inline constexpr Status kErrorInvalidUserBuffer = 1784;

// GetLastError: why the last failed call that reports through it failed.
Status LastError();

}  // namespace platform
