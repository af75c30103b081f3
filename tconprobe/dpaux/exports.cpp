// The exported AUX functions: they check the caller's record, then drive
// the one control object. 0 success, -1 the transaction failed, -2 the
// record was refused.
#include "tconprobe/dpaux/aux_control.h"
#include "tconprobe/dpaux/aux_records.h"

namespace dpaux {
namespace {

constexpr std::int32_t kTransactionFailed = -1;
constexpr std::int32_t kRecordRefused = -2;
constexpr std::uint32_t kFullRequest = 16;

// The open channel's parameters: every transfer uses the display type
// given at open, whatever later records say.
AuxOpenParams openParams;

std::int32_t Result(AuxStatus status) { return status == 0 ? 0 : kTransactionFailed; }

}  // namespace
}  // namespace dpaux

using namespace dpaux;

std::int32_t PLATFORM_STDCALL KSXAUX_OpenDll(KSXAUX_OPEN_PARAM* param) {
  if (param == nullptr) return kRecordRefused;
  const AuxOpenParams params{param->gpuType, 0xC0, 0, param->displayType, kFullRequest};
  const AuxStatus status = auxControl.Open(params);
  // A refused second open must not change the link of the channel that is open.
  if (status == 0) openParams = params;
  return Result(status);
}

std::int32_t PLATFORM_STDCALL KSXAUX_CloseDll(KSXAUX_CLOSE_PARAM* param) {
  if (param == nullptr) return kRecordRefused;
  auxControl.Close();
  return 0;
}

std::int32_t PLATFORM_STDCALL KSXAUX_NativeAuxAccess(KSXAUX_NATIVE_PARAM* param) {
  // A record without a buffer is refused like one without a length.
  if (param == nullptr || param->length == 0 || param->data == nullptr) return kRecordRefused;
  if (param->requestBytes == 0) param->requestBytes = kFullRequest;
  auxControl.SetRequestBytes(kFullRequest);
  auxControl.SelectDisplay(openParams.displayType);
  const std::int32_t display = openParams.displayType;
  return Result(
      param->isWrite == 0
          ? auxControl.NativeRead(display, param->dpcdAddress, param->data, param->length)
          : auxControl.NativeWrite(display, param->dpcdAddress, param->data, param->length));
}

std::int32_t PLATFORM_STDCALL KSXAUX_I2COverAuxAccess(KSXAUX_I2C_PARAM* param) {
  if (param == nullptr || param->length == 0 || param->data == nullptr) return kRecordRefused;
  if (param->requestBytes == 0) param->requestBytes = kFullRequest;
  if (param->length < param->requestBytes) param->requestBytes = param->length;
  auxControl.SetOptions(param->flags);
  const std::int32_t display = openParams.displayType;
  auxControl.SelectDisplay(display);
  auxControl.SetRequestBytes(param->requestBytes);
  auxControl.SetMode(param->mode);
  auxControl.SetI2cAddress(static_cast<std::uint8_t>(param->i2cAddress));
  const auto hi = static_cast<std::uint8_t>(param->offset >> 8);
  const auto lo = static_cast<std::uint8_t>(param->offset);
  switch (param->mode) {
    case 2:
      return Result(auxControl.RawWrite(param->data, param->length));
    case 3:
      return Result(auxControl.RawRead(param->data, param->length));
    case 7:
      param->offset &= 0xFF;
      return Result(auxControl.OffsetRead(display, 0, lo, param->data, param->length));
    default:
      return Result(param->isWrite == 0
                        ? auxControl.OffsetRead(display, hi, lo, param->data, param->length)
                        : auxControl.OffsetWrite(display, hi, lo, param->data, param->length));
  }
}
