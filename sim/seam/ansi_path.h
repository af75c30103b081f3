#pragma once
#include <string>

// The host path of a narrow (ANSI) Windows file name, as the narrow calls
// of the seam take it; false for a name on another drive.
namespace sim {

bool AnsiHostPath(const char* name, std::string* path);

}  // namespace sim
