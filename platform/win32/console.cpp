#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/console.h"

namespace platform {

void WriteStdout(const char* text, std::size_t length) { std::fwrite(text, 1, length, stdout); }

void WriteStdoutWide(const char16_t* text, std::size_t length) {
  if (length == 0) return;
  const auto* wide = reinterpret_cast<const wchar_t*>(text);
  const int count = static_cast<int>(length);
  const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return;
  std::string narrow(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, count, narrow.data(), bytes, nullptr, nullptr);
  WriteStdout(narrow.data(), narrow.size());
}

void FlushStdout() { std::fflush(stdout); }

bool AttachParentConsole() { return ::AttachConsole(ATTACH_PARENT_PROCESS) != FALSE; }

bool ReopenStdoutOnConsole() { return std::freopen("CONOUT$", "w+t", stdout) != nullptr; }

}  // namespace platform
