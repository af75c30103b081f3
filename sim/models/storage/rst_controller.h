#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sim/models/storage/nvme_drive.h"

// An Intel RST controller: its SCSI port device \\.\ScsiN: and the NVMe
// pass-through of its driver, which checks each miniport record as the real
// driver does before it hands the command to the addressed drive.
namespace sim {

struct RstController {
  std::uint8_t port = 0;
  bool passThrough = true;          // false: the driver does not know the "IntelNvm" requests
  bool heldByOtherProgram = false;  // another program has the port open
  std::vector<NvmeDrive> drives;
};

struct RstControllers {
  std::vector<RstController> list;
  std::string loadedSection;  // the machine file's section as loaded, for saving
};

std::u16string PortDeviceName(std::uint8_t port);
RstController* FindController(RstControllers& controllers, std::uint8_t port);

// What the driver made of one miniport request.
struct MiniportAnswer {
  std::uint32_t status = 0;    // the Win32 error; 0 for success
  std::uint32_t returned = 0;  // the byte count the IOCTL reports
  bool changed = false;        // a drive's host metadata changed
  std::string trace;           // the exchange as the trace shows it
};

// IOCTL_SCSI_MINIPORT on the controller's port; in and out may be the same
// buffer.
MiniportAnswer MiniportRequest(RstController& controller, const std::uint8_t* in,
                               std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize);

}  // namespace sim
