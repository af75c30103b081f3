#include "drivetag/rst_passthrough.h"

#include <cstring>
#include <string>

#include "common/decimal.h"
#include "platform/devices.h"

namespace drivetag {
namespace {

// The request record, little-endian, built anew for every command.
namespace rst {
constexpr std::uint32_t kHeaderLength = 28;
constexpr char kSignature[8] = {'I', 'n', 't', 'e', 'l', 'N', 'v', 'm'};
constexpr std::uint32_t kControlCode = 0xF0002808;
constexpr std::uint8_t kVersion = 1;
constexpr std::uint32_t kDataOffset = 164;

constexpr std::size_t kHeaderLengthAt = 0;
constexpr std::size_t kSignatureAt = 4;
constexpr std::size_t kTimeoutAt = 12;
constexpr std::size_t kControlCodeAt = 16;
constexpr std::size_t kReturnCodeAt = 20;
constexpr std::size_t kLengthAt = 24;
constexpr std::size_t kVersionAt = 28;
constexpr std::size_t kPathAt = 29;
constexpr std::size_t kTargetAt = 30;
constexpr std::size_t kLunAt = 31;
constexpr std::size_t kCommandAt = 32;  // the 64-byte submission queue entry
constexpr std::size_t kDataOffsetAt = 116;
constexpr std::size_t kDataLengthAt = 120;
}  // namespace rst

void Put32(std::vector<std::uint8_t>& record, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) record[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t Get32(const std::vector<std::uint8_t>& record, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(record[at + i]) << (8 * i);
  return value;
}

// "\\.\Scsi" and the port number in decimal, then a colon.
std::u16string PortName(std::uint8_t portNumber) {
  const std::string name = "\\\\.\\Scsi" + common::DecimalText(portNumber) + ":";
  return std::u16string(name.begin(), name.end());
}

}  // namespace

std::vector<std::uint8_t> BuildRstRequest(const platform::ScsiAddress& address, const NvmeCommand& command,
                                          std::uint32_t timeoutSeconds, std::uint32_t dataLength,
                                          const std::uint8_t* dataToSend) {
  std::vector<std::uint8_t> record(rst::kDataOffset + dataLength, 0);
  const auto size = static_cast<std::uint32_t>(record.size());
  Put32(record, rst::kHeaderLengthAt, rst::kHeaderLength);
  std::memcpy(&record[rst::kSignatureAt], rst::kSignature, sizeof rst::kSignature);
  Put32(record, rst::kTimeoutAt, timeoutSeconds);
  Put32(record, rst::kControlCodeAt, rst::kControlCode);
  Put32(record, rst::kLengthAt, size - rst::kHeaderLength);
  record[rst::kVersionAt] = rst::kVersion;
  record[rst::kPathAt] = address.pathId;
  record[rst::kTargetAt] = address.targetId;
  record[rst::kLunAt] = address.lun;
  record[rst::kCommandAt] = command.opcode;
  Put32(record, rst::kCommandAt + 4, command.nsid);
  const std::uint32_t dwords[] = {command.cdw10, command.cdw11, command.cdw12,
                                  command.cdw13, command.cdw14, command.cdw15};
  for (std::size_t i = 0; i < 6; ++i) Put32(record, rst::kCommandAt + 40 + 4 * i, dwords[i]);
  Put32(record, rst::kDataOffsetAt, rst::kDataOffset);
  Put32(record, rst::kDataLengthAt, dataLength);
  if (dataToSend != nullptr && dataLength != 0) {
    std::memcpy(&record[rst::kDataOffset], dataToSend, dataLength);
  }
  return record;
}

bool SendRstNvmeCommand(platform::Handle drive, const NvmeCommand& command,
                        std::uint32_t timeoutSeconds, std::uint32_t dataLength,
                        const std::uint8_t* dataToSend, RstAnswer* answer) {
  platform::ScsiAddress address{};
  std::uint32_t returned = 0;
  if (!platform::DeviceIoControl(drive, platform::kIoctlScsiGetAddress, nullptr, 0, &address, sizeof address,
                                 &returned)) {
    return false;
  }
  std::vector<std::uint8_t> record =
      BuildRstRequest(address, command, timeoutSeconds, dataLength, dataToSend);
  const std::u16string port = PortName(address.portNumber);
  // Exclusive open: while another program holds the port, the request below
  // fails on the invalid handle.
  const platform::Handle handle = platform::CreateFileW(
      port.c_str(), platform::kGenericRead | platform::kGenericWrite, 0, platform::kOpenExisting, 0);
  const auto size = static_cast<std::uint32_t>(record.size());
  const bool sent = platform::DeviceIoControl(handle, platform::kIoctlScsiMiniport, record.data(), size,
                                              record.data(), size, &returned);
  if (handle != platform::kInvalidHandle) platform::CloseHandle(handle);
  if (!sent) return false;
  // The byte count returned is the driver's: the answer is read where the
  // record placed it, whatever the count says.
  answer->data.assign(record.begin() + rst::kDataOffset, record.end());
  answer->returnCode = Get32(record, rst::kReturnCodeAt);
  return true;
}

}  // namespace drivetag
