// SetupAPI of the seam: the disk device interface lists the machine's disks
// in order, one device element per disk at the same member index.
#include <cstdio>
#include <cstring>

#include "platform/setupapi.h"
#include "common/utf16le.h"
#include "sim/core/guid.h"
#include "sim/core/handle_table.h"
#include "sim/core/handles.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"
#include "sim/seam/start.h"

namespace platform {
namespace {

constexpr std::uint32_t kSpintActive = 1;
// The fixed part of SP_DEVICE_INTERFACE_DETAIL_DATA_W in the 32-bit program
// that the simulated machine runs.
constexpr std::uint32_t kDetailSize = 6;

// Each set remembers whether it lists the disks.
using SetTable = sim::HandleTable<DevInfoSet, bool>;

SetTable& Sets() {
  static SetTable table(0x5E70, 8);
  return table;
}

bool Fail(Status status, const std::string& line) {
  sim::Trace(line + " -> " + std::to_string(status));
  sim::SetLastError(status);
  return false;
}

bool Succeed(const std::string& line) {
  sim::Trace(line + " -> 0");
  return true;
}

std::vector<sim::Disk>& Disks() { return sim::CurrentMachine().diskList.disks; }

// The disk an interface or device element stands for (its index + 1 is kept
// in the element's spare field).
sim::Disk* DiskAt(std::uintptr_t marker) {
  if (marker == 0 || marker > Disks().size()) return nullptr;
  return &Disks()[marker - 1];
}

}  // namespace
}  // namespace platform

void sim::ResetSetupApi() { platform::Sets().Clear(); }

namespace platform {

std::uint32_t DeviceInterfaceDetailSize() { return kDetailSize; }

DevInfoSet SetupDiGetClassDevsW(const Guid* classGuid, const char16_t*, std::uint32_t flags) {
  char line[128];
  std::snprintf(line, sizeof line, "setupapi.GetClassDevs %s flags=0x%X",
                classGuid != nullptr ? sim::GuidText(*classGuid).c_str() : "none", flags);
  const std::uint32_t error = sim::CurrentMachine().diskList.classDevsError;
  if (error != 0) {
    Fail(static_cast<Status>(error), line);
    return kInvalidDevInfoSet;
  }
  // Only the present disks that expose the disk interface fill this list.
  const bool listsDisks = classGuid != nullptr && *classGuid == kGuidDevinterfaceDisk &&
                          (flags & (kDigcfPresent | kDigcfDeviceInterface)) ==
                              (kDigcfPresent | kDigcfDeviceInterface);
  const DevInfoSet set = Sets().Add(listsDisks);
  Succeed(line);
  return set;
}

bool SetupDiEnumDeviceInterfaces(DevInfoSet set, const DevInfoData*, const Guid* interfaceClass,
                                 std::uint32_t index, DeviceInterfaceData* data) {
  const std::string line = "setupapi.EnumDeviceInterfaces index=" + std::to_string(index);
  const bool* listsDisks = Sets().Find(set);
  if (listsDisks == nullptr) return Fail(kErrorInvalidHandle, line);
  if (data == nullptr || data->size != sizeof(DeviceInterfaceData)) {
    return Fail(kErrorInvalidUserBuffer, line);
  }
  const bool disks = *listsDisks && interfaceClass != nullptr && *interfaceClass == kGuidDevinterfaceDisk;
  if (!disks || index >= Disks().size()) return Fail(kErrorNoMoreItems, line);
  const sim::Disk& disk = Disks()[index];
  if (disk.interfaceError != 0) return Fail(static_cast<Status>(disk.interfaceError), line);
  data->interfaceClass = kGuidDevinterfaceDisk;
  data->flags = kSpintActive;
  data->reserved = index + 1;
  return Succeed(line);
}

bool SetupDiGetDeviceInterfaceDetailW(DevInfoSet set, DeviceInterfaceData* data, void* detail,
                                      std::uint32_t detailSize, std::uint32_t* requiredSize,
                                      DevInfoData*) {
  std::string line = "setupapi.GetDeviceInterfaceDetail";
  if (Sets().Find(set) == nullptr) return Fail(kErrorInvalidHandle, line);
  sim::Disk* disk = data != nullptr ? DiskAt(data->reserved) : nullptr;
  if (disk == nullptr) return Fail(kErrorInvalidParameter, line);
  line += " index=" + std::to_string(data->reserved - 1) + " offered=" + std::to_string(detailSize);
  if (detail != nullptr) {
    std::uint32_t cbSize = 0;
    std::memcpy(&cbSize, detail, sizeof cbSize);
    line += " cbSize=" + std::to_string(cbSize);
    if (cbSize != kDetailSize) return Fail(kErrorInvalidUserBuffer, line);
  } else if (detailSize != 0) {
    return Fail(kErrorInvalidUserBuffer, line);
  }
  if (disk->detailError != 0) return Fail(static_cast<Status>(disk->detailError), line);
  const auto needed =
      static_cast<std::uint32_t>(kDeviceInterfaceDetailPathOffset + 2 * (disk->interfacePath.size() + 1));
  if (requiredSize != nullptr) *requiredSize = needed;
  if (detail == nullptr || detailSize < needed) {
    return Fail(kErrorInsufficientBuffer, line + " required=" + std::to_string(needed));
  }
  const std::vector<std::uint8_t> path = common::Utf16LeBytes(disk->interfacePath, true);
  std::memcpy(static_cast<std::uint8_t*>(detail) + kDeviceInterfaceDetailPathOffset, path.data(),
              path.size());
  return Succeed(line + " path=" + sim::Utf16ToUtf8(disk->interfacePath));
}

bool SetupDiEnumDeviceInfo(DevInfoSet set, std::uint32_t index, DevInfoData* device) {
  const std::string line = "setupapi.EnumDeviceInfo index=" + std::to_string(index);
  const bool* listsDisks = Sets().Find(set);
  if (listsDisks == nullptr) return Fail(kErrorInvalidHandle, line);
  if (device == nullptr || device->size != sizeof(DevInfoData)) {
    return Fail(kErrorInvalidUserBuffer, line);
  }
  if (!*listsDisks || index >= Disks().size()) return Fail(kErrorNoMoreItems, line);
  device->devInst = index + 1;
  device->reserved = index + 1;
  return Succeed(line);
}

bool SetupDiGetDeviceRegistryPropertyW(DevInfoSet set, DevInfoData* device,
                                       std::uint32_t property, std::uint32_t* valueType,
                                       std::uint8_t* buffer, std::uint32_t bufferSize,
                                       std::uint32_t* requiredSize) {
  std::string line = "setupapi.GetDeviceRegistryProperty";
  if (Sets().Find(set) == nullptr) return Fail(kErrorInvalidHandle, line);
  sim::Disk* disk = device != nullptr ? DiskAt(device->reserved) : nullptr;
  if (disk == nullptr) return Fail(kErrorInvalidParameter, line);
  char detail[96];
  std::snprintf(detail, sizeof detail, " index=%u property=0x%X offered=%u",
                static_cast<unsigned>(device->reserved - 1), property, bufferSize);
  line += detail;
  if (property != kSpdrpEnumeratorName || !disk->enumeratorName) {
    return Fail(kErrorInvalidData, line);
  }
  const std::vector<std::uint8_t>& value = *disk->enumeratorName;
  const auto actual = static_cast<std::uint32_t>(value.size());
  const std::uint32_t reported = disk->enumeratorReported.value_or(actual);
  if (disk->enumeratorRefusals > 0 || buffer == nullptr || bufferSize < actual) {
    if (disk->enumeratorRefusals > 0) --disk->enumeratorRefusals;
    if (requiredSize != nullptr) *requiredSize = reported;
    return Fail(kErrorInsufficientBuffer, line + " required=" + std::to_string(reported));
  }
  if (actual != 0) std::memcpy(buffer, value.data(), actual);
  if (valueType != nullptr) *valueType = 1;  // REG_SZ
  if (requiredSize != nullptr) *requiredSize = actual;
  return Succeed(line + " bytes=" + std::to_string(actual));
}

bool SetupDiDestroyDeviceInfoList(DevInfoSet set) {
  if (!Sets().Remove(set)) return Fail(kErrorInvalidHandle, "setupapi.DestroyDeviceInfoList");
  return Succeed("setupapi.DestroyDeviceInfoList");
}

}  // namespace platform
