#include "drivetag/stamper.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "common/decimal.h"
#include "common/utf16le.h"
#include "drivetag/element_pass.h"
#include "drivetag/enumerator.h"
#include "drivetag/facts_table.h"
#include "drivetag/feature_commands.h"
#include "drivetag/host_facts.h"
#include "drivetag/log.h"
#include "drivetag/text_convert.h"
#include "platform/files.h"

namespace drivetag {
namespace {

constexpr int kEnumerationEnd = -1;

// The device path of the interface, or an empty text when it cannot be had.
std::u16string DevicePath(platform::DevInfoSet set, platform::DeviceInterfaceData* interfaceData) {
  std::uint32_t required = 0;
  if (!platform::SetupDiGetDeviceInterfaceDetailW(set, interfaceData, nullptr, 0, &required,
                                                  nullptr) &&
      platform::LastError() != platform::kErrorInsufficientBuffer) {
    return {};
  }
  // The size comes from SetupAPI: it must at least hold the size field and a
  // terminator before anything is written into it.
  const std::uint32_t header = platform::DeviceInterfaceDetailSize();
  if (required < header || required < platform::kDeviceInterfaceDetailPathOffset + 2) return {};
  std::unique_ptr<std::uint8_t[]> detail(new (std::nothrow) std::uint8_t[required]());
  if (detail == nullptr) return {};
  std::memcpy(detail.get(), &header, sizeof header);
  if (!platform::SetupDiGetDeviceInterfaceDetailW(set, interfaceData, detail.get(), required,
                                                  nullptr, nullptr)) {
    return {};
  }
  return common::Utf16LeText(detail.get() + platform::kDeviceInterfaceDetailPathOffset,
                             required - platform::kDeviceInterfaceDetailPathOffset);
}

// The console report of the Identify data and the support test.
bool ReportSupport(bool identified, const std::uint8_t* identify) {
  if (!identified) {
    Say("irstModeProcessing fail");
    return false;
  }
  const std::uint8_t low = identify[kLflagByte], high = identify[kHflagByte];
  Say("irstModeProcessing pass");
  Say(std::string_view(reinterpret_cast<const char*>(&identify[kLflagByte]), 1));
  Say((low & kLflagMask) != 0 ? "lflag is Set" : "lflag is Unset");
  Say(std::string_view(reinterpret_cast<const char*>(&identify[kHflagByte]), 1));
  Say((high & kHflagMask) != 0 ? "hflag is Set" : "hflag is Unset");
  return SupportsHostMetadata(low, high);
}

// -1 at the end of the list, 0 for a skipped index or a drive whose work
// failed, 1 for a drive reported unsupported or fully stamped.
int StampDrive(HostMetadataStamper& stamper, platform::DevInfoSet set, std::uint32_t index) {
  platform::DeviceInterfaceData interfaceData{};
  interfaceData.size = sizeof interfaceData;
  if (!platform::SetupDiEnumDeviceInterfaces(set, nullptr, &platform::kGuidDevinterfaceDisk, index,
                                             &interfaceData)) {
    return platform::LastError() == platform::kErrorNoMoreItems ? kEnumerationEnd : 0;
  }
  const std::u16string path = DevicePath(set, &interfaceData);
  if (path.empty()) return 0;
  const platform::Handle drive = platform::CreateFileW(
      path.c_str(), platform::kGenericRead | platform::kGenericWrite,
      platform::kFileShareRead | platform::kFileShareWrite, platform::kOpenExisting,
      platform::kFileAttributeNormal);
  if (drive == platform::kInvalidHandle) return 0;
  if (!IsStorageEnumerator(set, index)) {
    platform::CloseHandle(drive);
    return 0;
  }

  std::uint8_t identify[kIdentifyBytes] = {};
  const bool identified = IdentifyController(drive, identify) == 0;
  if (!ReportSupport(identified, identify)) {
    WriteLogLine(u"Host Metadata is not supported for HDD" + Decimal(stamper.driveIndex));
    ++stamper.driveIndex;
    platform::CloseHandle(drive);
    return 1;
  }

  std::unique_ptr<char16_t[]> facts(new (std::nothrow) char16_t[kFactsTableChars]());
  if (facts == nullptr || CollectHostFacts(facts.get()) != 1) {
    platform::CloseHandle(drive);
    return 0;
  }
  const bool done = StampElements(stamper, drive, facts.get());
  platform::CloseHandle(drive);
  if (!done) return 0;
  ++stamper.driveIndex;
  Say("index falg value post increment : " + std::to_string(stamper.driveIndex) + "\n");
  return 1;
}

// False only when the disk list cannot be built.
bool Run(HostMetadataStamper& stamper) {
  const platform::DevInfoSet set = platform::SetupDiGetClassDevsW(
      &platform::kGuidDevinterfaceDisk, nullptr, platform::kDigcfPresent | platform::kDigcfDeviceInterface);
  if (set == platform::kInvalidDevInfoSet) {
    // %d of the error code: one above 2^31 shows as negative.
    WriteLogLine(Widen("SetupDiGetClassDevs failed with error: " +
                       common::DecimalText(static_cast<std::int32_t>(platform::LastError())) + "\n"));
    return false;
  }
  for (std::uint32_t index = 0; StampDrive(stamper, set, index) != kEnumerationEnd; ++index) {
  }
  platform::SetupDiDestroyDeviceInfoList(set);
  return true;
}

}  // namespace

int RunProgram() {
  HostMetadataStamper stamper;
  if (Run(stamper)) {
    WriteLogLine(u"NVME hostmetadata inventory completed successfully.");
    return 0;
  }
  WriteLogLine(u"NVME hostmetadata inventory executed with failure.");
  return 1;
}

}  // namespace drivetag
