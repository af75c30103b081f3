#pragma once
#include <cstdint>

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

// The whole program: the run, its last log line and the exit code.
int RunProgram();

}  // namespace drivetag
