#include <windows.h>
#include <shellapi.h>

#include "platform/process.h"

namespace platform {

// Kept apart from the C runtime's arguments: only a program that calls this
// imports SHELL32.
std::vector<std::u16string> SplitCommandLineW() {
  std::vector<std::u16string> list;
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  for (int i = 0; argv != nullptr && i < count; ++i) {
    list.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  }
  if (argv != nullptr) ::LocalFree(argv);
  return list;
}

}  // namespace platform
