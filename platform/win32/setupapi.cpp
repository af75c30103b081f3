#include <windows.h>
#include <setupapi.h>

#include <cstddef>

#include "platform/setupapi.h"

namespace platform {
namespace {

// The portable records are the Win32 ones, field for field.
static_assert(sizeof(Guid) == sizeof(GUID));
static_assert(sizeof(DeviceInterfaceData) == sizeof(SP_DEVICE_INTERFACE_DATA));
static_assert(offsetof(DeviceInterfaceData, reserved) == offsetof(SP_DEVICE_INTERFACE_DATA, Reserved));
static_assert(sizeof(DevInfoData) == sizeof(SP_DEVINFO_DATA));
static_assert(offsetof(DevInfoData, reserved) == offsetof(SP_DEVINFO_DATA, Reserved));
static_assert(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) == kDeviceInterfaceDetailPathOffset);

HDEVINFO ToSet(DevInfoSet set) { return reinterpret_cast<HDEVINFO>(set); }
const GUID* ToGuid(const Guid* guid) { return reinterpret_cast<const GUID*>(guid); }
SP_DEVINFO_DATA* ToDevInfo(const DevInfoData* data) {
  return reinterpret_cast<SP_DEVINFO_DATA*>(const_cast<DevInfoData*>(data));
}
SP_DEVICE_INTERFACE_DATA* ToInterface(DeviceInterfaceData* data) {
  return reinterpret_cast<SP_DEVICE_INTERFACE_DATA*>(data);
}

}  // namespace

std::uint32_t DeviceInterfaceDetailSize() { return sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W); }

DevInfoSet SetupDiGetClassDevsW(const Guid* classGuid, const char16_t* enumerator,
                                std::uint32_t flags) {
  HDEVINFO set = ::SetupDiGetClassDevsW(ToGuid(classGuid), reinterpret_cast<const wchar_t*>(enumerator),
                                        nullptr, flags);
  return reinterpret_cast<DevInfoSet>(set);
}

bool SetupDiEnumDeviceInterfaces(DevInfoSet set, const DevInfoData* device,
                                 const Guid* interfaceClass, std::uint32_t index,
                                 DeviceInterfaceData* data) {
  return ::SetupDiEnumDeviceInterfaces(ToSet(set), ToDevInfo(device), ToGuid(interfaceClass), index,
                                       ToInterface(data)) != FALSE;
}

bool SetupDiGetDeviceInterfaceDetailW(DevInfoSet set, DeviceInterfaceData* data, void* detail,
                                      std::uint32_t detailSize, std::uint32_t* requiredSize,
                                      DevInfoData* device) {
  DWORD required = 0;
  const BOOL ok = ::SetupDiGetDeviceInterfaceDetailW(
      ToSet(set), ToInterface(data), static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detail),
      detailSize, &required, ToDevInfo(device));
  if (requiredSize != nullptr) *requiredSize = required;
  return ok != FALSE;
}

bool SetupDiEnumDeviceInfo(DevInfoSet set, std::uint32_t index, DevInfoData* device) {
  return ::SetupDiEnumDeviceInfo(ToSet(set), index, ToDevInfo(device)) != FALSE;
}

bool SetupDiGetDeviceRegistryPropertyW(DevInfoSet set, DevInfoData* device,
                                       std::uint32_t property, std::uint32_t* valueType,
                                       std::uint8_t* buffer, std::uint32_t bufferSize,
                                       std::uint32_t* requiredSize) {
  DWORD type = 0, required = 0;
  const BOOL ok = ::SetupDiGetDeviceRegistryPropertyW(ToSet(set), ToDevInfo(device), property, &type,
                                                      buffer, bufferSize, &required);
  if (valueType != nullptr) *valueType = type;
  if (requiredSize != nullptr) *requiredSize = required;
  return ok != FALSE;
}

bool SetupDiDestroyDeviceInfoList(DevInfoSet set) {
  return ::SetupDiDestroyDeviceInfoList(ToSet(set)) != FALSE;
}

}  // namespace platform
