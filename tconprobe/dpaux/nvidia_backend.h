#pragma once
#include <cstdint>

#include "tconprobe/dpaux/aux_control.h"

// NV_DP_CTRL: the NVIDIA back-end on "NvidiaAPI.dll", bound by the names of
// its functions. It initialises the library, selects the display whose
// connector matches the link, and carries each AUX transaction in one
// 104-byte request record. Every operation returns 0 or its own status.
namespace dpaux {

// NV_DP_CTRL's statuses.
inline constexpr AuxStatus kNvBindFailed = 1;  // also: any failed I2C transfer
inline constexpr AuxStatus kNvInitializeFailed = 2;
inline constexpr AuxStatus kNvUnloadFailed = 3;
inline constexpr AuxStatus kNvBadDisplayKind = 4;
inline constexpr AuxStatus kNvBadLength = 5;
inline constexpr AuxStatus kNvNativeReadFailed = 6;
inline constexpr AuxStatus kNvNativeWriteFailed = 7;
inline constexpr AuxStatus kNvGpuEnumFailed = 8;
inline constexpr AuxStatus kNvNoGpu = 9;
inline constexpr AuxStatus kNvDisplayIdsFailed = 10;
inline constexpr AuxStatus kNvNoDisplay = 11;
inline constexpr AuxStatus kNvConnectorInfoFailed = 12;
inline constexpr AuxStatus kNvDisplayHandleFailed = 13;
inline constexpr AuxStatus kNvNoMatchingDisplay = 14;

// Display kinds that selection asks for: 1 the internal panel, 2 external
// DisplayPort, 3 the third connector type.
inline constexpr std::uint32_t kNvKindPanel = 1;
inline constexpr std::uint32_t kNvKindDisplayPort = 2;

struct NV_DP_CTRL {
  std::uint32_t nativePieceSize = 16;
  std::uint32_t displayKind = 0;
  std::uint8_t initialised = 0;
  std::uint32_t gpuHandle = 0;
  std::uint32_t displayHandle = 0;
  std::uint32_t displayId = 0;

  AuxStatus Init();
  AuxStatus Close();
  AuxStatus SelectDisplay(std::uint32_t kind);
  // type: the control object's I2C mode (0 one offset byte with the block
  // in the address, 2 write without offset, 4 read without offset, 6 the
  // offset bytes from the buffer, others two offset bytes).
  AuxStatus I2cRead(std::uint8_t address, std::uint16_t offset, std::uint8_t* data,
                    std::uint32_t length, std::uint32_t type);
  AuxStatus I2cWrite(std::uint8_t address, std::uint16_t offset, const std::uint8_t* data,
                     std::uint32_t length, std::uint32_t type);
  // Writes from `source` when it is given, else reads into `target`.
  AuxStatus NativeTransfer(std::uint32_t address, const std::uint8_t* source,
                           std::uint8_t* target, std::uint32_t length);

 private:
  // One AUX transaction of 1 to 16 bytes: 0, or 1 when it failed.
  AuxStatus Transact(std::uint32_t command, std::uint32_t address, const std::uint8_t* source,
                     std::uint8_t* target, std::uint32_t count) const;
};

// The process's one NVIDIA back-end.
extern NV_DP_CTRL nvidiaControl;

// Data bytes per I2C write transaction; the control object sets it to its
// requestBytes before every write.
void SetNvidiaWritePieceSize(std::uint32_t bytes);

// At program end an initialised library is closed.
void CloseNvidiaAtProgramEnd();

// A fresh process has no library bound; so does each in-process test.
void ForgetNvidiaLibrary();

}  // namespace dpaux
