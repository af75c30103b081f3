#pragma once
#include <cstdint>
#include <vector>

#include "platform/devices.h"
#include "platform/files.h"

// NVMe admin commands wrapped in the RST driver's miniport request record,
// sent to the SCSI port of the controller that carries the disk.
namespace drivetag {

// The request record, little-endian, built anew for every command.
namespace rst {
inline constexpr std::uint32_t kHeaderLength = 28;
inline constexpr char kSignature[8] = {'I', 'n', 't', 'e', 'l', 'N', 'v', 'm'};
inline constexpr std::uint32_t kControlCode = 0xF0002808;
inline constexpr std::uint8_t kVersion = 1;
inline constexpr std::uint32_t kDataOffset = 164;

inline constexpr std::size_t kHeaderLengthAt = 0;
inline constexpr std::size_t kSignatureAt = 4;
inline constexpr std::size_t kTimeoutAt = 12;
inline constexpr std::size_t kControlCodeAt = 16;
inline constexpr std::size_t kReturnCodeAt = 20;
inline constexpr std::size_t kLengthAt = 24;
inline constexpr std::size_t kVersionAt = 28;
inline constexpr std::size_t kPathAt = 29;
inline constexpr std::size_t kTargetAt = 30;
inline constexpr std::size_t kLunAt = 31;
inline constexpr std::size_t kCommandAt = 32;  // the 64-byte submission queue entry
inline constexpr std::size_t kDataOffsetAt = 116;
inline constexpr std::size_t kDataLengthAt = 120;
}  // namespace rst

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
