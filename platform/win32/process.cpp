#include <windows.h>

#include "platform/process.h"
#include "platform/modules.h"

namespace platform {
namespace {

#ifndef _WIN64
using IsWow64ProcessPtr = BOOL(WINAPI*)(HANDLE, PBOOL);
IsWow64ProcessPtr g_isWow64Process = nullptr;

bool CallIsWow64Process(bool* isWow64) {
  BOOL result = FALSE;
  if (!g_isWow64Process(::GetCurrentProcess(), &result)) return false;
  *isWow64 = result != FALSE;
  return true;
}
#else
// A 64-bit process runs only on a 64-bit Windows: the answer the 32-bit
// program would get there.
bool AnswerYes(bool* isWow64) {
  *isWow64 = true;
  return true;
}
#endif

// Read once, on first use; plain globals, so no guard is compiled in.
std::vector<std::u16string> g_wideArguments;
bool g_wideArgumentsRead = false;
std::vector<std::string> g_narrowArguments;
bool g_narrowArgumentsRead = false;

}  // namespace

IsWow64ProcessFn FindIsWow64Process() {
#ifdef _WIN64
  return &AnswerYes;
#else
  g_isWow64Process = FindFunction<IsWow64ProcessPtr>(GetModuleHandleA("kernel32"), "IsWow64Process");
  return g_isWow64Process != nullptr ? &CallIsWow64Process : nullptr;
#endif
}

const std::vector<std::u16string>& CrtCommandLineW() {
  if (!g_wideArgumentsRead) {
    for (int i = 0; __wargv != nullptr && i < __argc; ++i) {
      g_wideArguments.emplace_back(reinterpret_cast<const char16_t*>(__wargv[i]));
    }
    g_wideArgumentsRead = true;
  }
  return g_wideArguments;
}

const std::vector<std::string>& CommandLineA() {
  if (!g_narrowArgumentsRead) {
    for (int i = 0; __argv != nullptr && i < __argc; ++i) g_narrowArguments.emplace_back(__argv[i]);
    g_narrowArgumentsRead = true;
  }
  return g_narrowArguments;
}

}  // namespace platform
