#include <windows.h>

#include "platform/modules.h"
#include "platform/ui.h"

namespace platform {

// USER32 is loaded only when a box is to be shown, on a failure path: as an
// import it would be loaded on every run, and under Wine that costs more
// than the rest of a package module's run.
int MessageBoxW(WindowHandle owner, const char16_t* text, const char16_t* caption,
                std::uint32_t type) {
  using MessageBoxWPtr = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
  const Module user32 = LoadLibraryA("user32.dll");
  if (user32 == 0) return 0;
  const auto show = FindFunction<MessageBoxWPtr>(user32, "MessageBoxW");
  const int answer = show == nullptr ? 0
                                     : show(reinterpret_cast<HWND>(owner), reinterpret_cast<const wchar_t*>(text),
                                            reinterpret_cast<const wchar_t*>(caption), type);
  FreeLibrary(user32);
  return answer;
}

}  // namespace platform
