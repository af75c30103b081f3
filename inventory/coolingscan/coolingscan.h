#pragma once
#include <string>
#include <vector>

// Inventory of the thermal driver package: reports the version recorded in
// the 64-bit registry view; never writes the registry.
namespace inventory::coolingscan {

// Empty when the package key cannot be opened with full access; "0.0.0.0"
// when it opens but "Version" cannot be read.
std::u16string ReadPackageVersion();

// Arguments without the program name. Returns the exit code (always 0).
int Run(const std::vector<std::u16string>& arguments);

}  // namespace inventory::coolingscan
