#pragma once
#include <cstdint>

#include "platform/com.h"
#include "platform/guid.h"

// The Intel graphics driver's CUI COM server as the programs bind it: its
// ProgID, the interface, the data blocks exchanged with it, and the methods
// used, by their positions in the interface's method table (it is released
// by IUnknown's Release, position 2).
namespace platform::intel_cui {

inline constexpr char16_t kProgId[] = u"Igfxext.CUIExternal";
inline constexpr Guid kInterfaceId = {
    0xF932C038, 0x6484, 0x45CA, {0x8F, 0xA1, 0x7C, 0x8C, 0x27, 0x9F, 0x7A, 0xEE}};
inline constexpr Guid kAuxBlockId = {
    0xBFB9816C, 0xAEB0, 0x434B, {0x99, 0xF3, 0x0F, 0x94, 0xE6, 0xBE, 0xBF, 0x0D}};
inline constexpr Guid kPowerBlockId = {
    0x9EE756C6, 0x4D97, 0x4B5D, {0xBB, 0x93, 0xB8, 0x54, 0xE7, 0x27, 0xA6, 0x74}};
inline constexpr std::uint32_t kAuxBlockSize = 32;
inline constexpr std::uint32_t kPowerBlockSize = 180;

inline constexpr int kEnumAttachedDevices = 12;
inline constexpr int kGetDataBlock = 43;
inline constexpr int kSetDataBlock = 44;
inline constexpr int kMethodCount = 45;

// Display name, index; out: device identifier, device type, status.
using EnumAttachedDevicesMethod = HResult(PLATFORM_STDCALL*)(ComInterface* self, Bstr display,
                                                             std::uint32_t index, std::uint32_t* id,
                                                             std::uint32_t* type,
                                                             std::uint32_t* status);
// Block id, record size, record; out: the driver's error code.
using DataBlockMethod = HResult(PLATFORM_STDCALL*)(ComInterface* self, Guid block,
                                                   std::uint32_t size, std::uint8_t* record,
                                                   std::uint32_t* error);

}  // namespace platform::intel_cui
