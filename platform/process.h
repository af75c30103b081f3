#pragma once
#include <string>
#include <vector>

namespace platform {

// IsWow64Process as found by GetProcAddress in "kernel32": null when the
// function is missing; the call returns false when it fails.
using IsWow64ProcessFn = bool (*)(bool* isWow64);
IsWow64ProcessFn FindIsWow64Process();

// The command line, program name first: UTF-16 as CommandLineToArgvW splits
// it (the one use of SHELL32), and narrow in the ANSI code page as the C
// runtime hands it to main.
const std::vector<std::u16string>& CommandLineW();
const std::vector<std::string>& CommandLineA();
// UTF-16 as the C runtime hands it to wmain, for the programs started that
// way (WIDE_ARGUMENTS): wide arguments without SHELL32.
const std::vector<std::u16string>& CrtCommandLineW();

}  // namespace platform

// Each program defines its entry here; the platform's main calls it.
int ProgramMain();
