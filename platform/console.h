#pragma once
#include <cstddef>

// Standard output in text mode (LF becomes CR LF). Wide text reaches the
// stream in the ANSI code page, so the two kinds never mix on one C stream.
namespace platform {

void WriteStdout(const char* text, std::size_t length);
void WriteStdoutWide(const char16_t* text, std::size_t length);
void FlushStdout();

// A windowed program has no console of its own. AttachConsole with
// ATTACH_PARENT_PROCESS: false when the parent has none.
bool AttachParentConsole();
// freopen("CONOUT$", "w+t", stdout): false when it failed, and standard
// output is then closed.
bool ReopenStdoutOnConsole();

}  // namespace platform
