#pragma once
#include <windows.h>

namespace platform {

// The one place where a GetProcAddress result becomes a typed function
// pointer, so that -Wcast-function-type stays an error everywhere else.
template <typename Function>
Function LookupProc(HMODULE module, const char* name) {
  FARPROC proc = ::GetProcAddress(module, name);
  return reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
}

}  // namespace platform
