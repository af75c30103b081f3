#pragma once
#include <cstdint>

#include "platform/com.h"
#include "platform/guid.h"

// KSX_AUX_CTRL_OBJ: the one AUX channel behind the exported functions. It
// opens one GPU back-end, keeps the settings of the current I2C request and
// routes every transfer to the back-end, cut the way that back-end needs.
// Every operation returns 0 for success and a non-zero status for failure.
namespace dpaux {

using AuxStatus = std::uint32_t;

// The open parameters: the first five fields of the control object.
struct AuxOpenParams {
  std::int32_t gpuType = 0;
  std::uint8_t i2cAddress = 0xC0;
  std::uint32_t mode = 0;
  std::int32_t displayType = 0;
  std::uint8_t requestBytes = 16;
};

struct IntelAuxRecord;

struct KSX_AUX_CTRL_OBJ {
  AuxOpenParams channel;  // copied as one block by Open, then changed per request
  std::uint8_t opened = 0;
  platform::ComInterface* cui = nullptr;
  platform::Guid cuiClassId{};
  std::uint8_t extendReadEnd = 0;      // option 0x01
  std::uint8_t writeHeaderEachTx = 0;  // option 0x80
  std::uint8_t readRepeatedStart = 0;  // option 0x40
  std::uint8_t largeWritePieces = 0;   // option 0x20
  std::uint32_t savedPowerFeatures = 0;
  bool comInitialized = false;  // uninitialise only what was initialised

  KSX_AUX_CTRL_OBJ() = default;
  KSX_AUX_CTRL_OBJ(const KSX_AUX_CTRL_OBJ&) = delete;
  KSX_AUX_CTRL_OBJ& operator=(const KSX_AUX_CTRL_OBJ&) = delete;
  ~KSX_AUX_CTRL_OBJ();

  AuxStatus Open(const AuxOpenParams& params);
  AuxStatus Close();
  // What the destructor does at program end; the program calls it while
  // the platform is still there.
  void ProgramEnd();
  void SelectDisplay(std::int32_t display);
  void SetRequestBytes(std::uint32_t count);
  void SetMode(std::uint32_t value) { channel.mode = value; }
  void SetI2cAddress(std::uint8_t address) { channel.i2cAddress = address; }
  void SetOptions(std::uint32_t flags);

  AuxStatus OffsetRead(std::int32_t display, std::uint8_t hi, std::uint8_t lo, std::uint8_t* data,
                       std::uint32_t length);
  AuxStatus OffsetWrite(std::int32_t display, std::uint8_t hi, std::uint8_t lo,
                        const std::uint8_t* data, std::uint32_t length);
  AuxStatus RawRead(std::uint8_t* data, std::uint32_t length);
  AuxStatus RawWrite(const std::uint8_t* data, std::uint32_t length);
  AuxStatus NativeRead(std::int32_t display, std::uint32_t address, std::uint8_t* data,
                       std::uint32_t length);
  AuxStatus NativeWrite(std::int32_t display, std::uint32_t address, const std::uint8_t* data,
                        std::uint32_t length);

 private:
  bool OpenOn(std::int32_t backEnd) const { return opened == 1 && channel.gpuType == backEnd; }

  // The Intel back-end, on the driver's CUI COM object (intel_backend.cpp).
  AuxStatus IntelOpen();
  void IntelClose();
  void ReadPowerFeatures(std::uint32_t* record);
  AuxStatus FindDisplayId(std::int32_t display, std::uint32_t* id);
  // The identifier from the read (or write) cache, looked up when it has none for this display
  // type.
  AuxStatus CachedDisplayId(bool forWrite, std::int32_t display, std::uint32_t* id);
  platform::HResult SubmitAux(IntelAuxRecord& record, std::uint32_t* error);
  AuxStatus TransactAux(IntelAuxRecord& record);
  AuxStatus IntelI2cRead(std::int32_t display, std::uint8_t address, std::uint8_t hi,
                         std::uint8_t lo, std::uint8_t* data, std::uint32_t length,
                         std::uint32_t readMode);
  AuxStatus IntelI2cWrite(std::int32_t display, std::uint8_t address, std::uint8_t hi,
                          std::uint8_t lo, const std::uint8_t* data, std::uint32_t length,
                          std::uint32_t writeMode);
  // Writes from `source` when it is given, else reads into `target`.
  // Offset transfers in pieces of 256 registers, the high offset byte counting up.
  AuxStatus IntelOffsetTransfer(std::int32_t display, std::uint8_t hi, std::uint8_t lo,
                                const std::uint8_t* source, std::uint8_t* target,
                                std::uint32_t length);
  AuxStatus IntelNative(std::int32_t display, std::uint32_t address, const std::uint8_t* source,
                        std::uint8_t* target, std::uint32_t length);

  // The AMD back-end: DDC messages through the AMD Display Library
  // (aux_control_amd.cpp, amd_backend.cpp). Reads and writes of one piece
  // of at most 256 bytes.
  AuxStatus AmdI2cRead(std::uint8_t address, std::uint8_t hi, std::uint8_t lo, std::uint8_t* data,
                       std::uint32_t length, std::uint32_t readMode);
  AuxStatus AmdI2cWrite(std::uint8_t address, std::uint8_t hi, std::uint8_t lo,
                        const std::uint8_t* data, std::uint32_t length, std::uint32_t writeMode);
  AuxStatus AmdOffsetWrite(std::uint8_t hi, std::uint8_t lo, const std::uint8_t* data,
                           std::uint32_t length);
  AuxStatus AmdRawRead(std::uint8_t* data, std::uint32_t length);
  AuxStatus AmdRawWrite(const std::uint8_t* data, std::uint32_t length);
  // The NVIDIA paths, on NV_DP_CTRL (nvidia_backend.h).
  void NvidiaOpen();
  static std::uint16_t NvidiaOffset(std::uint8_t hi, std::uint8_t lo);
  AuxStatus NvidiaOffsetRead(std::uint8_t hi, std::uint8_t lo, std::uint8_t* data,
                             std::uint32_t length);
  AuxStatus NvidiaWrite(std::uint16_t offset, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t type);
};

// The process's one control object and the open parameters of its channel.
extern KSX_AUX_CTRL_OBJ auxControl;

// The Intel display identifier caches outlive every channel of a process;
// a fresh process starts without them, and so does each in-process test.
void ForgetIntelDisplayIds();

}  // namespace dpaux
