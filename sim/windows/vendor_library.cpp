// A GPU vendor's library among the stand-ins: every export forwards to
// standin_machine.dll, and the library loads only when the machine has it,
// so a program that loads it by name finds it exactly then.
#include <windows.h>

#include "sim/windows/standin_machine.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  return StandInLibraryPresent(VENDOR_LIBRARY_NAME) != 0 ? TRUE : FALSE;
}
