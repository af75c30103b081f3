#include <windows.h>
#include <shellapi.h>

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

}  // namespace

IsWow64ProcessFn FindIsWow64Process() {
#ifdef _WIN64
  return &AnswerYes;
#else
  g_isWow64Process = FindFunction<IsWow64ProcessPtr>(GetModuleHandleA("kernel32"), "IsWow64Process");
  return g_isWow64Process != nullptr ? &CallIsWow64Process : nullptr;
#endif
}

const std::vector<std::u16string>& CommandLineW() {
  static std::vector<std::u16string> arguments = [] {
    std::vector<std::u16string> list;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 0; argv != nullptr && i < count; ++i) {
      list.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    }
    if (argv != nullptr) ::LocalFree(argv);
    return list;
  }();
  return arguments;
}

const std::vector<std::string>& CommandLineA() {
  static std::vector<std::string> arguments = [] {
    std::vector<std::string> list;
    for (int i = 0; i < __argc; ++i) list.emplace_back(__argv[i]);
    return list;
  }();
  return arguments;
}

}  // namespace platform
