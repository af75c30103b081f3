#include <windows.h>
#include <shellapi.h>

#include "platform/process.h"

namespace platform {
namespace {

// Split once, on first use; plain globals, so no guard is compiled in.
std::vector<std::u16string> g_arguments;
bool g_argumentsSplit = false;

}  // namespace

// Kept apart from the C runtime's arguments: only a program that calls this
// imports SHELL32.
const std::vector<std::u16string>& CommandLineW() {
  if (!g_argumentsSplit) {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 0; argv != nullptr && i < count; ++i) {
      g_arguments.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    }
    if (argv != nullptr) ::LocalFree(argv);
    g_argumentsSplit = true;
  }
  return g_arguments;
}

}  // namespace platform
