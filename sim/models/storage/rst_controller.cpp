#include "sim/models/storage/rst_controller.h"

#include <cstdio>
#include <cstring>

#include "platform/devices.h"
#include "platform/status.h"
#include "sim/core/text_codec.h"

namespace sim {
namespace {

constexpr auto kErrorInvalidFunction = static_cast<std::uint32_t>(platform::kErrorInvalidFunction);
constexpr auto kErrorInvalidParameter = static_cast<std::uint32_t>(platform::kErrorInvalidParameter);
constexpr auto kErrorIoDevice = static_cast<std::uint32_t>(platform::kErrorIoDevice);
constexpr std::uint32_t kRecordHeader = 164;

std::uint32_t Get32(const std::uint8_t* bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
         (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

// Hexadecimal bytes without the zeros at the end.
std::string TrimmedHex(const std::uint8_t* bytes, std::size_t length) {
  while (length > 0 && bytes[length - 1] == 0) --length;
  return ToHex(std::vector<std::uint8_t>(bytes, bytes + length));
}

// Why the driver would refuse this record, or "" when it takes it.
std::string CheckRecord(const std::uint8_t* in, std::uint32_t inSize, std::uint32_t outSize) {
  if (inSize < kRecordHeader) return "record size";
  if (Get32(in, 0) != 28) return "header length";
  if (std::memcmp(in + 4, "IntelNvm", 8) != 0) return "signature";
  if (Get32(in, 16) != 0xF0002808) return "control code";
  if (Get32(in, 24) != inSize - 28) return "length";
  if (in[28] != 1) return "version";
  if (Get32(in, 116) != kRecordHeader) return "data offset";
  if (Get32(in, 120) != inSize - kRecordHeader || outSize < inSize) return "data length";
  return "";
}

MiniportAnswer Refused(const std::string& line, const std::string& why, std::uint32_t status) {
  MiniportAnswer answer;
  answer.status = status;
  answer.trace = line + " refused (" + why + ") -> " + std::to_string(status);
  return answer;
}

}  // namespace

std::u16string PortDeviceName(std::uint8_t port) {
  return Utf8ToUtf16("\\\\.\\Scsi" + std::to_string(port) + ":");
}

RstController* FindController(RstControllers& controllers, std::uint8_t port) {
  for (RstController& controller : controllers.list) {
    if (controller.port == port) return &controller;
  }
  return nullptr;
}

MiniportAnswer MiniportRequest(RstController& controller, const std::uint8_t* in,
                               std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize) {
  std::string line = "ioctl " + HexNumber(platform::kIoctlScsiMiniport) + " " +
                     Utf16ToUtf8(PortDeviceName(controller.port));
  if (!controller.passThrough) return Refused(line, "not an RST driver", kErrorInvalidFunction);
  const std::string refusal = in == nullptr || out == nullptr ? "record size" : CheckRecord(in, inSize, outSize);
  if (!refusal.empty()) return Refused(line, refusal, kErrorInvalidParameter);
  // The record is read whole before the answer goes into the same buffer.
  std::vector<std::uint8_t> record(in, in + inSize);
  NvmeCommandDwords command;
  command.opcode = record[32];
  command.nsid = Get32(record.data(), 36);
  for (int i = 10; i <= 15; ++i) command.cdw[i] = Get32(record.data(), 32 + 4 * i);
  const std::uint32_t dataLength = inSize - kRecordHeader;
  line += " path=" + std::to_string(record[29]) + " target=" + std::to_string(record[30]) +
          " lun=" + std::to_string(record[31]) + " opcode=" + sim::HexNumber(command.opcode) +
          " nsid=" + std::to_string(command.nsid);
  for (int i = 10; i <= 15; ++i) line += " cdw" + std::to_string(i) + "=" + sim::HexNumber(command.cdw[i]);
  line += " timeout=" + std::to_string(Get32(record.data(), 12)) +
          " length=" + std::to_string(dataLength) +
          " data=" + TrimmedHex(record.data() + kRecordHeader, dataLength);

  NvmeDrive* drive = nullptr;
  for (NvmeDrive& candidate : controller.drives) {
    if (candidate.path == record[29] && candidate.target == record[30] && candidate.lun == record[31]) {
      drive = &candidate;
    }
  }
  if (drive == nullptr) return Refused(line, "no drive", kErrorInvalidParameter);
  MiniportAnswer result;
  const NvmeAnswer answer =
      drive->Execute(command, record.data() + kRecordHeader, dataLength, &result.changed);
  if (!answer.ok) {
    const bool malformed = answer.refusal != "fault";
    MiniportAnswer refused =
        Refused(line, answer.refusal, malformed ? kErrorInvalidParameter : kErrorIoDevice);
    refused.changed = result.changed;
    return refused;
  }
  std::memcpy(record.data() + 20, &answer.returnCode, 4);
  std::memcpy(out, record.data(), inSize);
  result.returned = answer.bytesReturned ? *answer.bytesReturned : inSize;
  std::string shown = dataLength > 128 ? std::to_string(answer.dataBytes) + " bytes"
                                       : TrimmedHex(record.data() + kRecordHeader, dataLength);
  result.trace = line + " -> 0 returnCode=" + std::to_string(answer.returnCode) +
                 " returned=" + std::to_string(result.returned) + " answer=" + shown;
  return result;
}

}  // namespace sim
