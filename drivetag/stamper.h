#pragma once
#include <cstdint>

#include "platform/setupapi.h"

// The run object of drivetag and the run over the present disks.
namespace drivetag {

struct HostMetadataStamper {
  HostMetadataStamper() = default;
  HostMetadataStamper(const HostMetadataStamper&) = delete;
  HostMetadataStamper& operator=(const HostMetadataStamper&) = delete;

  // The element value last read from a drive, zero-terminated.
  std::uint8_t readBackBuffer[256] = {};
  // The number after "HDD" in the log; grows after each drive that was
  // reported unsupported or whose elements were all matched or written.
  std::int32_t driveIndex = 0;
};

inline constexpr int kEnumerationEnd = -1;

// False only when the disk list cannot be built.
bool Run(HostMetadataStamper& stamper);
// -1 at the end of the list, 0 for a skipped index or a drive whose work
// failed, 1 for a drive reported unsupported or fully stamped.
int StampDrive(HostMetadataStamper& stamper, platform::DevInfoSet set, std::uint32_t index);

// The whole program: the run, its last log line and the exit code.
int RunProgram();

}  // namespace drivetag
