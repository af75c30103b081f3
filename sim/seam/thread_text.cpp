// The thread's ANSI code page of the simulated machine is its ANSI code page.
#include "platform/text.h"

namespace platform {

int ThreadAnsiToWide(const char* text, int length, char16_t* out, int outLength) {
  return AnsiToWide(text, length, out, outLength);
}

int WideToThreadAnsi(const char16_t* text, int length, char* out, int outLength) {
  return WideToAnsi(text, length, out, outLength);
}

}  // namespace platform
