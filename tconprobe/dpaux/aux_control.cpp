#include "tconprobe/dpaux/aux_control.h"

#include "tconprobe/dpaux/amd_backend.h"
#include "tconprobe/dpaux/aux_records.h"
#include "tconprobe/dpaux/nvidia_backend.h"

namespace dpaux {
namespace {

constexpr std::uint32_t kFailed = 1;

}  // namespace

KSX_AUX_CTRL_OBJ auxControl;

KSX_AUX_CTRL_OBJ::~KSX_AUX_CTRL_OBJ() { ProgramEnd(); }

void KSX_AUX_CTRL_OBJ::ProgramEnd() {
  if (opened == 1) Close();
  CloseNvidiaAtProgramEnd();
  adlInf.Unbind();  // bound only while open on AMD, but never left bound
}

AuxStatus KSX_AUX_CTRL_OBJ::Open(const AuxOpenParams& params) {
  if (opened == 1) return kFailed;
  channel = params;
  if (channel.requestBytes > 16) channel.requestBytes = 16;
  opened = 0;
  if (channel.gpuType == kGpuIntel) IntelOpen();
  if (channel.gpuType == kGpuNvidia) NvidiaOpen();
  if (channel.gpuType == kGpuAmd) opened = adlInf.Bind() == 0 ? 1 : 0;
  return opened == 1 ? 0 : kFailed;
}

AuxStatus KSX_AUX_CTRL_OBJ::Close() {
  if (OpenOn(kGpuIntel)) IntelClose();
  if (OpenOn(kGpuAmd)) adlInf.Unbind();
  if (OpenOn(kGpuNvidia)) nvidiaControl.Close();  // a failed unload changes nothing here
  opened = 0;
  return 0;
}

void KSX_AUX_CTRL_OBJ::SelectDisplay(std::int32_t display) {
  channel.displayType = display;
  // Outside callers may select after a close: only an open AMD channel scans.
  if (OpenOn(kGpuAmd)) adlInf.SelectDisplay(AmdConnectorCode(display));
}

void KSX_AUX_CTRL_OBJ::SetRequestBytes(std::uint32_t count) {
  channel.requestBytes = static_cast<std::uint8_t>(count > 16 ? 16 : count);
}

void KSX_AUX_CTRL_OBJ::SetOptions(std::uint32_t flags) {
  extendReadEnd = (flags & kFlagExtendReadEnd) != 0;
  largeWritePieces = (flags & kFlagLargeWritePieces) != 0;
  readRepeatedStart = (flags & kFlagReadRepeatedStart) != 0;
  writeHeaderEachTx = (flags & kFlagWriteHeaderEachTx) != 0;
}

AuxStatus KSX_AUX_CTRL_OBJ::OffsetRead(std::int32_t display, std::uint8_t hi, std::uint8_t lo,
                                       std::uint8_t* data, std::uint32_t length) {
  if (OpenOn(kGpuAmd)) return AmdI2cRead(channel.i2cAddress, hi, lo, data, length, channel.mode);
  if (OpenOn(kGpuNvidia)) return NvidiaOffsetRead(hi, lo, data, length);
  if (!OpenOn(kGpuIntel) || length == 0) return kFailed;
  return IntelOffsetTransfer(display, hi, lo, nullptr, data, length);
}

AuxStatus KSX_AUX_CTRL_OBJ::OffsetWrite(std::int32_t display, std::uint8_t hi, std::uint8_t lo,
                                        const std::uint8_t* data, std::uint32_t length) {
  if (OpenOn(kGpuAmd)) return AmdOffsetWrite(hi, lo, data, length);
  if (OpenOn(kGpuNvidia)) return NvidiaWrite(NvidiaOffset(hi, lo), data, length, channel.mode);
  if (!OpenOn(kGpuIntel)) return kFailed;
  return IntelOffsetTransfer(display, hi, lo, data, nullptr, length);
}

AuxStatus KSX_AUX_CTRL_OBJ::RawRead(std::uint8_t* data, std::uint32_t length) {
  if (OpenOn(kGpuAmd)) return AmdRawRead(data, length);
  if (OpenOn(kGpuNvidia)) return nvidiaControl.I2cRead(channel.i2cAddress, 0, data, length, 4);
  if (!OpenOn(kGpuIntel)) return kFailed;
  return IntelI2cRead(channel.displayType, channel.i2cAddress, 0, 0, data, length, 4);
}

AuxStatus KSX_AUX_CTRL_OBJ::RawWrite(const std::uint8_t* data, std::uint32_t length) {
  if (OpenOn(kGpuAmd)) return AmdRawWrite(data, length);
  if (OpenOn(kGpuNvidia)) return NvidiaWrite(0, data, length, 2);
  if (!OpenOn(kGpuIntel)) return kFailed;
  return IntelI2cWrite(channel.displayType, channel.i2cAddress, 0, 0, data, length, 2);
}

AuxStatus KSX_AUX_CTRL_OBJ::NativeRead(std::int32_t display, std::uint32_t address,
                                       std::uint8_t* data, std::uint32_t length) {
  if (OpenOn(kGpuAmd)) return adlInf.Native(address, nullptr, data, length);
  if (OpenOn(kGpuNvidia)) return nvidiaControl.NativeTransfer(address, nullptr, data, length);
  if (!OpenOn(kGpuIntel)) return kFailed;
  return IntelNative(display, address, nullptr, data, length);
}

AuxStatus KSX_AUX_CTRL_OBJ::NativeWrite(std::int32_t display, std::uint32_t address,
                                        const std::uint8_t* data, std::uint32_t length) {
  if (OpenOn(kGpuAmd)) return adlInf.Native(address, data, nullptr, length);
  if (OpenOn(kGpuNvidia)) return nvidiaControl.NativeTransfer(address, data, nullptr, length);
  if (!OpenOn(kGpuIntel)) return kFailed;
  return IntelNative(display, address, data, nullptr, length);
}

// The NVIDIA paths: NV_DP_CTRL takes whole transfers at a 16-bit offset.

void KSX_AUX_CTRL_OBJ::NvidiaOpen() {
  if (nvidiaControl.Init() != 0) return;
  nvidiaControl.nativePieceSize = 16;
  const std::uint32_t kind = channel.displayType == kDisplayDp ? kNvKindDisplayPort : kNvKindPanel;
  if (nvidiaControl.SelectDisplay(kind) == 0) opened = 1;
}

std::uint16_t KSX_AUX_CTRL_OBJ::NvidiaOffset(std::uint8_t hi, std::uint8_t lo) {
  return static_cast<std::uint16_t>(hi << 8 | lo);
}

// Mode 5's one offset byte is the high byte.
AuxStatus KSX_AUX_CTRL_OBJ::NvidiaOffsetRead(std::uint8_t hi, std::uint8_t lo, std::uint8_t* data,
                                             std::uint32_t length) {
  if (channel.mode == 5) return nvidiaControl.I2cRead(channel.i2cAddress, hi, data, length, 0);
  return nvidiaControl.I2cRead(channel.i2cAddress, NvidiaOffset(hi, lo), data, length, channel.mode);
}

AuxStatus KSX_AUX_CTRL_OBJ::NvidiaWrite(std::uint16_t offset, const std::uint8_t* data,
                                        std::uint32_t length, std::uint32_t type) {
  SetNvidiaWritePieceSize(channel.requestBytes);
  return nvidiaControl.I2cWrite(channel.i2cAddress, offset, data, length, type);
}

}  // namespace dpaux
