#pragma once
#include <string>
#include <vector>

namespace platform {

// IsWow64Process as found by GetProcAddress in "kernel32": null when the
// function is missing; the call returns false when it fails.
using IsWow64ProcessFn = bool (*)(bool* isWow64);
IsWow64ProcessFn FindIsWow64Process();

// The command line, program name first, as the C runtime splits it: UTF-16
// for a program started through wmain, narrow in the ANSI code page for one
// started through main.
std::vector<std::u16string> CommandLineW();
std::vector<std::string> CommandLineA();
// GetCommandLineW split by CommandLineToArgvW (SHELL32), for the program
// whose arguments are defined that way.
std::vector<std::u16string> SplitCommandLineW();

}  // namespace platform

// Each program defines its entry here; the platform's main calls it.
int ProgramMain();
