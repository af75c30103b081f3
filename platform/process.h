#pragma once
#include <string>
#include <vector>

namespace platform {

// IsWow64Process as found by GetProcAddress in "kernel32": null when the
// function is missing; the call returns false when it fails.
using IsWow64ProcessFn = bool (*)(bool* isWow64);
IsWow64ProcessFn FindIsWow64Process();

// The command line, program name first: UTF-16 as CommandLineToArgvW splits
// it, and narrow in the ANSI code page as the C runtime hands it to main.
const std::vector<std::u16string>& CommandLineW();
const std::vector<std::string>& CommandLineA();

}  // namespace platform

// Each program defines its entry here; the platform's main calls it.
int ProgramMain();
