#pragma once
#include <string>

// Where a Windows file name lands on the host.
namespace sim {

// "\\.\" and "\\?\" names are devices of the machine, not files.
bool IsDeviceName(const std::u16string& name);

// The host path for a Windows file name: backslashes become slashes; C:\ is
// the drive folder, and so is the root that a name starting with a
// separator names (the current drive's); ".." never climbs above that root;
// relative names stay relative to the current directory. False for other
// drives, network names and devices: nothing on the host stands for them.
bool HostPath(const std::u16string& name, const std::string& driveC, std::string* path);

}  // namespace sim
