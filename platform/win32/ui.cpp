#include <windows.h>

#include "platform/ui.h"

namespace platform {

int MessageBoxW(WindowHandle owner, const char16_t* text, const char16_t* caption,
                std::uint32_t type) {
  return ::MessageBoxW(reinterpret_cast<HWND>(owner), reinterpret_cast<const wchar_t*>(text),
                       reinterpret_cast<const wchar_t*>(caption), type);
}

}  // namespace platform
