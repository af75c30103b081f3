#include "drivetag/feature_commands.h"

#include <cstring>
#include <string>

#include "drivetag/facts_table.h"
#include "drivetag/log.h"
#include "drivetag/rst_passthrough.h"
#include "drivetag/text_convert.h"

namespace drivetag {
namespace {

constexpr std::uint8_t kOpcodeIdentify = 0x06;
constexpr std::uint8_t kOpcodeGetFeatures = 0x0A;
constexpr std::uint8_t kOpcodeSetFeatures = 0x09;
constexpr std::uint32_t kCnsIdentifyController = 1;
constexpr std::uint32_t kIdentifyTimeout = 40;
constexpr std::uint32_t kFeatureTimeout = 10;
constexpr std::uint32_t kWrittenReturnCode = 1;
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

const char* GetHostMetadataElement(HostMetadataStamper& stamper, platform::Handle drive, int type,
                                   std::int32_t driveIndex) {
  NvmeCommand command;
  command.opcode = kOpcodeGetFeatures;
  command.nsid = 1;
  command.cdw10 = kHostMetadataFeature;
  command.cdw11 = static_cast<std::uint32_t>(type);
  RstAnswer answer;
  if (!SendRstNvmeCommand(drive, command, kFeatureTimeout, kFeatureDataBytes, nullptr, &answer)) {
    return nullptr;
  }
  // The value ends at its first zero byte, at the latest with the value area.
  std::memset(stamper.readBackBuffer, 0, sizeof stamper.readBackBuffer);
  std::size_t length = 0;
  while (length < kElementLength && answer.data[kElementValueAt + length] != 0) ++length;
  std::memcpy(stamper.readBackBuffer, &answer.data[kElementValueAt], length);
  const std::string value(reinterpret_cast<const char*>(stamper.readBackBuffer), length);
  const std::string typeText = std::to_string(type);

  Say(" Value retrieved from the Offset " + typeText + " is : " + value + "\n");
  WriteLogLine(u"Value is Read From HDD" + Decimal(driveIndex));
  WriteLogLine(u"The current  Offset is : " + Decimal(type));
  WriteLogLine(u"And the current  Value retrieved  from this offset is : " + OnOneLine(FromThreadAnsi(value)));
  return reinterpret_cast<const char*>(stamper.readBackBuffer);
}

int SetHostMetadataElement(platform::Handle drive, int type, const char* value,
                           std::int32_t driveIndex) {
  std::memset(setFeaturesBuffer, 0, sizeof setFeaturesBuffer);
  setFeaturesBuffer[0] = 1;  // one descriptor, as a 16-bit count
  setFeaturesBuffer[2] = static_cast<std::uint8_t>(type) & kElementTypeMask;
  setFeaturesBuffer[4] = static_cast<std::uint8_t>(kElementLength & 0xFF);
  setFeaturesBuffer[5] = static_cast<std::uint8_t>(kElementLength >> 8);
  const std::size_t length = strnlen(value, kMaxValueBytes);
  std::memcpy(&setFeaturesBuffer[kElementValueAt], value, length);

  NvmeCommand command;
  command.opcode = kOpcodeSetFeatures;
  command.cdw10 = kHostMetadataFeature;
  RstAnswer answer;
  if (!SendRstNvmeCommand(drive, command, kFeatureTimeout, kFeatureDataBytes, setFeaturesBuffer,
                          &answer)) {
    return 1;
  }
  if (answer.returnCode == kWrittenReturnCode) {
    const std::string text(value, length);
    Say(" Value :" + text + " is updated at offset: " + std::to_string(type) + "\n");
    WriteLogLine(u"Value is Written into HDD" + Decimal(driveIndex));
    WriteLogLine(u"The current  Offset is : " + Decimal(type));
    WriteLogLine(u"And the   Value written into offset is : " + OnOneLine(FromThreadAnsi(text)));
  }
  // Any other ReturnCode still counts as delivered.
  return 0;
}

bool StampElements(HostMetadataStamper& stamper, platform::Handle drive, const char16_t* facts) {
  bool stampOk = true;
  for (const ElementField& field : kElementFields) {
    const int type = field.type;
    const std::u16string_view wanted = FactOf(facts, type);
    const char* read = GetHostMetadataElement(stamper, drive, type, stamper.driveIndex);
    const bool haveCurrent = read != nullptr;
    const std::u16string current = haveCurrent ? FromThreadAnsi(read) : std::u16string();
    const std::string wantedNarrow = ToThreadAnsi(wanted);
    if (type == 2) SayWide(u" Value retrieved for the Offset 2 " + std::u16string(wanted) + u"\n");

    bool elementOk = true;
    if (!haveCurrent || current != wanted) {
      if (SetHostMetadataElement(drive, type, wantedNarrow.c_str(), stamper.driveIndex) != 0) {
        WriteLogLine(u"Failure during write opreation into HDD" + Decimal(stamper.driveIndex) +
                     u" at offset:" + Decimal(type));
        elementOk = false;
      }
    }
    if (type == 1) {
      stampOk = elementOk;
    } else if (!elementOk) {
      stampOk = false;
      if (type == 15) return false;
    }
  }
  return stampOk;
}

}  // namespace drivetag
