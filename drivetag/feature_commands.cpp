#include "drivetag/feature_commands.h"

#include <cstring>

#include "drivetag/rst_passthrough.h"

namespace drivetag {
namespace {

constexpr std::uint8_t kOpcodeIdentify = 0x06;
constexpr std::uint8_t kOpcodeGetFeatures = 0x0A;
constexpr std::uint8_t kOpcodeSetFeatures = 0x09;
constexpr std::uint32_t kCnsIdentifyController = 1;
constexpr std::uint32_t kIdentifyTimeout = 40;
constexpr std::uint32_t kFeatureTimeout = 10;
constexpr std::uint8_t kElementTypeMask = 0x3F;

// Filled anew by every Set Features; lives for the whole run.
std::uint8_t setFeaturesBuffer[kFeatureDataBytes];

}  // namespace

int IdentifyController(platform::Handle drive, std::uint8_t* buffer) {
  NvmeCommand command;
  command.opcode = kOpcodeIdentify;
  command.cdw10 = kCnsIdentifyController;
  RstAnswer answer;
  if (!SendRstNvmeCommand(drive, command, kIdentifyTimeout, kIdentifyBytes, nullptr, &answer)) {
    return 1;
  }
  std::memcpy(buffer, answer.data.data(), kIdentifyBytes);
  return 0;
}

bool SupportsHostMetadata(std::uint8_t byte3108, std::uint8_t byte3109) {
  return (byte3108 & kLflagMask) != 0 && (byte3109 & kHflagMask) != 0;
}

bool GetHostMetadata(platform::Handle drive, int type, std::string* value) {
  NvmeCommand command;
  command.opcode = kOpcodeGetFeatures;
  command.nsid = 1;
  command.cdw10 = kHostMetadataFeature;
  command.cdw11 = static_cast<std::uint32_t>(type);
  RstAnswer answer;
  if (!SendRstNvmeCommand(drive, command, kFeatureTimeout, kFeatureDataBytes, nullptr, &answer)) {
    return false;
  }
  const char* area = reinterpret_cast<const char*>(&answer.data[kElementValueAt]);
  value->assign(area, strnlen(area, kElementLength));
  return true;
}

bool SetHostMetadata(platform::Handle drive, int type, std::string_view value,
                     std::uint32_t* returnCode) {
  std::memset(setFeaturesBuffer, 0, sizeof setFeaturesBuffer);
  setFeaturesBuffer[0] = 1;  // one descriptor, as a 16-bit count
  setFeaturesBuffer[2] = static_cast<std::uint8_t>(type) & kElementTypeMask;
  setFeaturesBuffer[4] = static_cast<std::uint8_t>(kElementLength & 0xFF);
  setFeaturesBuffer[5] = static_cast<std::uint8_t>(kElementLength >> 8);
  std::memcpy(&setFeaturesBuffer[kElementValueAt], value.data(),
              value.size() < kMaxValueBytes ? value.size() : kMaxValueBytes);

  NvmeCommand command;
  command.opcode = kOpcodeSetFeatures;
  command.cdw10 = kHostMetadataFeature;
  RstAnswer answer;
  if (!SendRstNvmeCommand(drive, command, kFeatureTimeout, kFeatureDataBytes, setFeaturesBuffer,
                          &answer)) {
    return false;
  }
  *returnCode = answer.returnCode;
  return true;
}

}  // namespace drivetag
