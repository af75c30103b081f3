#include <windows.h>

#include "platform/text.h"

namespace platform {

int ThreadAnsiToWide(const char* text, int length, char16_t* out, int outLength) {
  return ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, length, reinterpret_cast<wchar_t*>(out),
                               outLength);
}

int WideToThreadAnsi(const char16_t* text, int length, char* out, int outLength) {
  return ::WideCharToMultiByte(CP_THREAD_ACP, 0, reinterpret_cast<const wchar_t*>(text), length, out,
                               outLength, nullptr, nullptr);
}

}  // namespace platform
