#include <windows.h>

#include "platform/debug_output.h"

namespace platform {

void OutputDebugStringA(const char* text) { ::OutputDebugStringA(text); }

}  // namespace platform
