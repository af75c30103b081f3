#pragma once

// Text for an attached debugger; a program cannot tell whether anyone reads it.
namespace platform {

void OutputDebugStringA(const char* text);

}  // namespace platform
