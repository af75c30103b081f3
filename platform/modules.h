#pragma once
#include <cstdint>

// Libraries loaded at run time and bound by the names of their functions.
namespace platform {

using Module = std::uintptr_t;  // 0: no library
using ProcAddress = void (*)();

// LoadLibraryA: 0 when the library cannot be loaded.
Module LoadLibraryA(const char* name);
// GetModuleHandleA for a library the process already has (such as "kernel32").
Module GetModuleHandleA(const char* name);
// GetProcAddress: null when the library lacks the name.
ProcAddress GetProcAddress(Module module, const char* name);
void FreeLibrary(Module module);

// The one place where a found name becomes a typed function pointer, so
// that -Wcast-function-type stays an error everywhere else.
template <typename Function>
Function FindFunction(Module module, const char* name) {
  return reinterpret_cast<Function>(GetProcAddress(module, name));
}

}  // namespace platform
