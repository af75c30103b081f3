#pragma once
#include <cstdint>

#include "platform/com.h"

// The NVIDIA display library as the programs bind it: its file name, the
// names of the functions bound, the types of the ones called and the records
// exchanged with them. Every function answers 0 for success.
namespace platform::nvidia_api {

inline constexpr char kLibraryName[] = "NvidiaAPI.dll";

// Every name that binding asks for; the binding fails when one is missing.
inline constexpr int kFunctionCount = 17;
inline constexpr const char* kFunctionNames[kFunctionCount] = {
    "NvDisp_DpAuxChannelControl",
    "NvDISP_GetDisplayHandleFromDisplayId",
    "NvEnumNvidiaDisplayHandle",
    "NvEnumPhysicalGPUs",
    "NvGetDllVersion",
    "NvGPU_GetAllDisplayIds",
    "NvGPU_GetConnectedDisplayIds",
    "NvGPU_GetConnectorInfo",
    "NvI2CRead",
    "NvI2CReadEx",
    "NvI2CWrite",
    "NvI2CWriteEx",
    "NvInitialize",
    "NvPrintConnectorType",
    "NvPrintDllVersion",
    "NvPrintMonitorConnectorType",
    "NvUnload",
};
// Positions in kFunctionNames of the functions that are called.
inline constexpr int kDpAuxChannelControl = 0;
inline constexpr int kGetDisplayHandleFromDisplayId = 1;
inline constexpr int kEnumPhysicalGpus = 3;
inline constexpr int kGetConnectedDisplayIds = 6;
inline constexpr int kGetConnectorInfo = 7;
inline constexpr int kInitialize = 12;
inline constexpr int kUnload = 16;

using Status = std::int32_t;

inline constexpr std::uint32_t kMaxGpus = 64;

// One entry of the display id list.
struct DisplayIdEntry {
  std::uint32_t version;  // set in the first entry only
  std::uint32_t reserved1;
  std::uint32_t displayId;
  std::uint32_t reserved2;
};
static_assert(sizeof(DisplayIdEntry) == 16);
inline constexpr std::uint32_t kDisplayIdVersion = 0x10010;

struct ConnectorInfo {
  std::uint32_t version;
  std::uint32_t reserved[2];
  std::uint32_t connectorType;
  std::uint32_t more[7];
};
static_assert(sizeof(ConnectorInfo) == 44);
inline constexpr std::uint32_t kConnectorInfoVersion = 0x1002C;

// Connector types of the display kinds that selection asks for.
inline constexpr std::uint32_t kConnectorEdp = 71;    // kind 1: the internal panel
inline constexpr std::uint32_t kConnectorDp = 70;     // kind 2: external DisplayPort
inline constexpr std::uint32_t kConnectorOther = 72;  // kind 3

// One AUX transaction.
struct AuxRecord {
  std::uint32_t version;
  std::uint32_t displayId;
  std::uint32_t command;
  std::uint32_t address;  // 8-bit I2C device address or DPCD address
  std::uint8_t data[16];
  std::uint32_t countMinusOne;
  std::uint8_t more[68];
};
static_assert(sizeof(AuxRecord) == 104);
inline constexpr std::uint32_t kAuxRecordVersion = 0x20068;

// AuxRecord::command.
inline constexpr std::uint32_t kNativeWrite = 0;
inline constexpr std::uint32_t kNativeRead = 1;
inline constexpr std::uint32_t kI2cWriteStop = 2;
inline constexpr std::uint32_t kI2cReadStop = 3;
inline constexpr std::uint32_t kI2cWriteMot = 5;
inline constexpr std::uint32_t kI2cReadMot = 6;

using InitializeFunction = Status(PLATFORM_STDCALL*)();
using UnloadFunction = Status(PLATFORM_STDCALL*)();
// handles: kMaxGpus entries.
using EnumPhysicalGpusFunction = Status(PLATFORM_STDCALL*)(std::uint32_t* handles,
                                                           std::uint32_t* count);
// list null: the count alone; else at most *count entries, *count set to the entries listed.
using GetConnectedDisplayIdsFunction = Status(PLATFORM_STDCALL*)(std::uint32_t gpu,
                                                                 DisplayIdEntry* list,
                                                                 std::uint32_t* count,
                                                                 std::uint32_t flags);
using GetConnectorInfoFunction = Status(PLATFORM_STDCALL*)(std::uint32_t gpu,
                                                           std::uint32_t displayId,
                                                           ConnectorInfo* info);
using GetDisplayHandleFunction = Status(PLATFORM_STDCALL*)(std::uint32_t displayId,
                                                           std::uint32_t* handle);
using DpAuxChannelControlFunction = Status(PLATFORM_STDCALL*)(std::uint32_t display,
                                                              AuxRecord* record,
                                                              std::uint32_t reserved);

}  // namespace platform::nvidia_api
