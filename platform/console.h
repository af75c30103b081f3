#pragma once
#include <cstddef>

// Standard output in text mode (LF becomes CR LF). Wide text reaches the
// stream in the ANSI code page, so the two kinds never mix on one C stream.
namespace platform {

void WriteStdout(const char* text, std::size_t length);
void WriteStdoutWide(const char16_t* text, std::size_t length);
void FlushStdout();

}  // namespace platform
