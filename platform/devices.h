#pragma once
#include <cstdint>

#include "platform/files.h"

// Device I/O control on a handle from CreateFileW. Failures are reported
// through LastError(), as GetLastError does.
namespace platform {

inline constexpr std::uint32_t kIoctlScsiGetAddress = 0x41018;
inline constexpr std::uint32_t kIoctlScsiMiniport = 0x4D008;

struct ScsiAddress {  // SCSI_ADDRESS, the answer to kIoctlScsiGetAddress
  std::uint32_t length;
  std::uint8_t portNumber;
  std::uint8_t pathId;
  std::uint8_t targetId;
  std::uint8_t lun;
};

// in and out may be the same buffer.
bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t inSize,
                     void* out, std::uint32_t outSize, std::uint32_t* returned);

}  // namespace platform
