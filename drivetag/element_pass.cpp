#include "drivetag/element_pass.h"

#include <cstring>
#include <string>

#include "drivetag/facts_table.h"
#include "drivetag/feature_commands.h"
#include "drivetag/log.h"
#include "drivetag/text_convert.h"

namespace drivetag {
namespace {

// The element's value in the stamper's readBackBuffer, or null when the
// exchange failed.
const char* ReadElement(HostMetadataStamper& stamper, platform::Handle drive, int type) {
  std::string value;
  if (!GetHostMetadata(drive, type, &value)) return nullptr;
  std::memset(stamper.readBackBuffer, 0, sizeof stamper.readBackBuffer);
  std::memcpy(stamper.readBackBuffer, value.data(), value.size());
  const std::string typeText = std::to_string(type);

  Say(" Value retrieved from the Offset " + typeText + " is : " + value + "\n");
  WriteLogLine(u"Value is Read From HDD" + Decimal(stamper.driveIndex));
  WriteLogLine(u"The current  Offset is : " + Decimal(type));
  WriteLogLine(u"And the current  Value retrieved  from this offset is : " + OnOneLine(FromThreadAnsi(value)));
  return reinterpret_cast<const char*>(stamper.readBackBuffer);
}

// False when the exchange failed; any ReturnCode still counts as delivered.
bool WriteElement(platform::Handle drive, int type, const char* value, std::int32_t driveIndex) {
  const std::string text(value, strnlen(value, kMaxValueBytes));
  std::uint32_t returnCode = 0;
  if (!SetHostMetadata(drive, type, text, &returnCode)) return false;
  if (returnCode == kWrittenReturnCode) {
    Say(" Value :" + text + " is updated at offset: " + std::to_string(type) + "\n");
    WriteLogLine(u"Value is Written into HDD" + Decimal(driveIndex));
    WriteLogLine(u"The current  Offset is : " + Decimal(type));
    WriteLogLine(u"And the   Value written into offset is : " + OnOneLine(FromThreadAnsi(text)));
  }
  return true;
}

}  // namespace

bool StampElements(HostMetadataStamper& stamper, platform::Handle drive, const char16_t* facts) {
  bool stampOk = true;
  for (const ElementField& field : kElementFields) {
    const int type = field.type;
    const std::u16string_view wanted = FactOf(facts, type);
    const char* read = ReadElement(stamper, drive, type);
    const bool haveCurrent = read != nullptr;
    const std::u16string current = haveCurrent ? FromThreadAnsi(read) : std::u16string();
    const std::string wantedNarrow = ToThreadAnsi(wanted);
    if (type == 2) SayWide(u" Value retrieved for the Offset 2 " + std::u16string(wanted) + u"\n");

    bool elementOk = true;
    if (!haveCurrent || current != wanted) {
      if (!WriteElement(drive, type, wantedNarrow.c_str(), stamper.driveIndex)) {
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
