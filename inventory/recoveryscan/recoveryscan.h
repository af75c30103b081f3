#pragma once
#include <string>
#include <vector>

// Inventory of the OS-recovery application: the installer's product of the
// application's upgrade code, with a registry fallback for the version.
namespace inventory::recoveryscan {

// The version reported: the installer's when it has at least 10
// characters, else the registry's when that has, else "0".
const char* ChooseVersion(const char* installerVersion, const char* registryVersion);
// The name displayed: the installer's when it has at least 29 characters,
// else the application's default name.
const char* ChooseDisplay(const char* installerName);

// Narrow arguments without the program name. Returns the exit code: 1 after
// a command-line failure, otherwise 0.
int Run(const std::vector<std::string>& arguments);

}  // namespace inventory::recoveryscan
