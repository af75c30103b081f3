#pragma once
#include <cstdint>

#include "platform/com.h"

// The AMD Display Library as the programs bind it: the two file names it
// may have, the names of its functions, the records exchanged with it and
// the types of the functions called. Its functions use the C calling
// convention; the allocation callback it is given is __stdcall.
namespace platform::adl {

inline constexpr char kLibrary[] = "atiadlxx.dll";
inline constexpr char kLibraryOther[] = "atiadlxy.dll";

// In the order they are bound; all but the last are required.
inline constexpr int kFunctionCount = 16;
inline constexpr int kRequiredFunctions = 15;
inline constexpr const char* kFunctionNames[kFunctionCount] = {
    "ADL_Main_Control_Create",
    "ADL_Main_Control_Destroy",
    "ADL_Adapter_NumberOfAdapters_Get",
    "ADL_Adapter_AdapterInfo_Get",
    "ADL_Display_DisplayInfo_Get",
    "ADL_Display_WriteAndReadI2C",
    "ADL_Graphics_Platform_Get",
    "ADL_Graphics_Versions_Get",
    "ADL_Adapter_Active_Get",
    "ADL_Display_EdidData_Get",
    "ADL_Display_DpMstInfo_Get",
    "ADL_Display_NumberOfDisplays_Get",
    "ADL_Display_CurrentPixelClock_Get",
    "ADL_Display_NativeAUXChannel_Access",
    "ADL_Display_DDCBlockAccess_Get",
    "ADL_Display_ConnectedDisplays_Get",
};
enum Function {
  kMainControlCreate = 0,
  kMainControlDestroy = 1,
  kNumberOfAdaptersGet = 2,
  kAdapterInfoGet = 3,
  kDisplayInfoGet = 4,
  kAdapterActiveGet = 8,
  kNativeAuxChannelAccess = 13,
  kDdcBlockAccessGet = 14,
};

inline constexpr std::int32_t kOk = 0;
inline constexpr std::int32_t kError = -1;

// Adapter information record: the adapter index is the word at offset 4.
inline constexpr std::int32_t kAdapterInfoSize = 1572;
inline constexpr int kAdapterIndexAt = 4;

// Display information record.
inline constexpr std::int32_t kDisplayInfoSize = 552;
inline constexpr int kDisplayIndexAt = 0;
inline constexpr int kDisplayAdapterAt = 8;
inline constexpr int kDisplayConnectorAt = 540;
inline constexpr int kDisplayFlagsAt = 548;
inline constexpr std::uint32_t kDisplayConnected = 0x02;

inline constexpr std::int32_t kConnectorDisplayPort = 15;
inline constexpr std::int32_t kConnectorEdp = 16;

// Native AUX record: size, reserved, direction, DPCD address, byte count,
// 16 data bytes.
inline constexpr int kNativeRecordSize = 36;
inline constexpr int kNativeSizeAt = 0;
inline constexpr int kNativeWriteAt = 8;
inline constexpr int kNativeAddressAt = 12;
inline constexpr int kNativeCountAt = 16;
inline constexpr int kNativeDataAt = 20;
inline constexpr std::int32_t kNativeMaxData = 16;

// DDC block access options: a plain message, or an offset write and a read
// as one combined transaction.
inline constexpr std::int32_t kDdcPlain = 0;
inline constexpr std::int32_t kDdcCombined = 16;

using MallocCallback = void*(PLATFORM_STDCALL*)(std::int32_t size);
using MainControlCreate = std::int32_t (*)(MallocCallback allocate, std::int32_t connectedOnly);
using MainControlDestroy = std::int32_t (*)();
using NumberOfAdaptersGet = std::int32_t (*)(std::int32_t* count);
using AdapterInfoGet = std::int32_t (*)(std::uint8_t* records, std::int32_t bytes);
using AdapterActiveGet = std::int32_t (*)(std::int32_t adapter, std::int32_t* active);
using DisplayInfoGet = std::int32_t (*)(std::int32_t adapter, std::int32_t* count,
                                        std::uint8_t** list, std::int32_t forceDetect);
using NativeAuxChannelAccess = std::int32_t (*)(std::int32_t adapter, std::int32_t display,
                                                std::uint8_t* record);
using DdcBlockAccessGet = std::int32_t (*)(std::int32_t adapter, std::int32_t display,
                                           std::int32_t option, std::int32_t command,
                                           std::int32_t sendLength, std::uint8_t* send,
                                           std::int32_t* receiveLength, std::uint8_t* receive);
// The required names that the programs bind but never call.
using Unused = std::int32_t (*)();

}  // namespace platform::adl
