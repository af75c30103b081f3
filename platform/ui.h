#pragma once
#include <cstdint>

// Message boxes, one call per Win32 function.
namespace platform {

using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoOwner = 0;

inline constexpr std::uint32_t kMbOk = 0x0;
inline constexpr int kIdOk = 1;

// Waits until the box is dismissed and returns the button pressed (0 when
// the box could not be shown).
int MessageBoxW(WindowHandle owner, const char16_t* text, const char16_t* caption,
                std::uint32_t type);

}  // namespace platform
