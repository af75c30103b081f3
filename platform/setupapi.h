#pragma once
#include <cstdint>

#include "platform/guid.h"

// SetupAPI device interface enumeration, one call per Win32 function. The
// records have the layout of their Win32 counterparts, so sizeof gives the
// value that their size field must carry on each platform. Failures are
// reported through LastError() (files.h), as GetLastError does.
namespace platform {

using DevInfoSet = std::uintptr_t;
inline constexpr DevInfoSet kInvalidDevInfoSet = static_cast<DevInfoSet>(-1);

struct DeviceInterfaceData {  // SP_DEVICE_INTERFACE_DATA
  std::uint32_t size;
  Guid interfaceClass;
  std::uint32_t flags;
  std::uintptr_t reserved;
};

struct DevInfoData {  // SP_DEVINFO_DATA
  std::uint32_t size;
  Guid classGuid;
  std::uint32_t devInst;
  std::uintptr_t reserved;
};

// GUID_DEVINTERFACE_DISK, {53F56307-B6BF-11D0-94F2-00A0C91EFB8B}.
inline constexpr Guid kGuidDevinterfaceDisk = {
    0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

inline constexpr std::uint32_t kDigcfPresent = 0x02;
inline constexpr std::uint32_t kDigcfDeviceInterface = 0x10;
inline constexpr std::uint32_t kSpdrpEnumeratorName = 0x16;

// SP_DEVICE_INTERFACE_DETAIL_DATA_W is a size field followed by the device
// path. The value its size field must hold differs between builds (6 for
// 32-bit code, 8 for 64-bit code), so the platform says it.
std::uint32_t DeviceInterfaceDetailSize();
inline constexpr std::uint32_t kDeviceInterfaceDetailPathOffset = 4;

DevInfoSet SetupDiGetClassDevsW(const Guid* classGuid, const char16_t* enumerator,
                                std::uint32_t flags);
bool SetupDiEnumDeviceInterfaces(DevInfoSet set, const DevInfoData* device,
                                 const Guid* interfaceClass, std::uint32_t index,
                                 DeviceInterfaceData* data);
// detail may be null (with detailSize 0) to learn the size needed.
bool SetupDiGetDeviceInterfaceDetailW(DevInfoSet set, DeviceInterfaceData* data, void* detail,
                                      std::uint32_t detailSize, std::uint32_t* requiredSize,
                                      DevInfoData* device);
bool SetupDiEnumDeviceInfo(DevInfoSet set, std::uint32_t index, DevInfoData* device);
bool SetupDiGetDeviceRegistryPropertyW(DevInfoSet set, DevInfoData* device,
                                       std::uint32_t property, std::uint32_t* valueType,
                                       std::uint8_t* buffer, std::uint32_t bufferSize,
                                       std::uint32_t* requiredSize);
bool SetupDiDestroyDeviceInfoList(DevInfoSet set);

}  // namespace platform
