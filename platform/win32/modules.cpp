#include <windows.h>

#include "platform/modules.h"

namespace platform {

Module LoadLibraryA(const char* name) { return reinterpret_cast<Module>(::LoadLibraryA(name)); }

Module GetModuleHandleA(const char* name) {
  return reinterpret_cast<Module>(::GetModuleHandleA(name));
}

ProcAddress GetProcAddress(Module module, const char* name) {
  // void (*)() stands for any function type, so this cast stays quiet.
  return reinterpret_cast<ProcAddress>(::GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

void FreeLibrary(Module module) { ::FreeLibrary(reinterpret_cast<HMODULE>(module)); }

}  // namespace platform
