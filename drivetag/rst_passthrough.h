#pragma once
#include <cstdint>
#include <vector>

#include "platform/devices.h"
#include "platform/files.h"

// NVMe admin commands wrapped in the RST driver's miniport request record,
// sent to the SCSI port of the controller that carries the disk.
namespace drivetag {

struct NvmeCommand {
  std::uint8_t opcode = 0;
  std::uint32_t nsid = 0;
  std::uint32_t cdw10 = 0, cdw11 = 0, cdw12 = 0, cdw13 = 0, cdw14 = 0, cdw15 = 0;
};

struct RstAnswer {
  std::vector<std::uint8_t> data;  // the data area, as long as the transfer
  std::uint32_t returnCode = 0;
};

std::vector<std::uint8_t> BuildRstRequest(const platform::ScsiAddress& address, const NvmeCommand& command,
                                          std::uint32_t timeoutSeconds, std::uint32_t dataLength,
                                          const std::uint8_t* dataToSend);

// Asks the disk for its SCSI address, opens its controller's port
// exclusively, hands the driver the record and closes the port again.
// dataToSend is null for commands that read from the drive.
bool SendRstNvmeCommand(platform::Handle drive, const NvmeCommand& command,
                        std::uint32_t timeoutSeconds, std::uint32_t dataLength,
                        const std::uint8_t* dataToSend, RstAnswer* answer);

}  // namespace drivetag
