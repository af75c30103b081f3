#pragma once
#include <cstdint>

// MultiByteToWideChar and WideCharToMultiByte with the ANSI code page.
// Return the count written, or 0 on failure, like the Win32 calls.
namespace platform {

int AnsiToWide(const char* text, int length, char16_t* out, int outLength);
int WideToAnsi(const char16_t* text, int length, char* out, int outLength);

// The same with the calling thread's ANSI code page (CP_THREAD_ACP).
int ThreadAnsiToWide(const char* text, int length, char16_t* out, int outLength);
int WideToThreadAnsi(const char16_t* text, int length, char* out, int outLength);

}  // namespace platform
