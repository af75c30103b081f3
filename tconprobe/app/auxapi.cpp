#include "tconprobe/app/auxapi.h"

#include <initializer_list>

#include "tconprobe/app/config.h"
#include "tconprobe/dpaux/aux_records.h"

namespace tconprobe {

TAuxApi gAuxApi;

namespace {

constexpr std::uint32_t kMaxRequestBytes = 16;

std::uint32_t RequestBytesFor(std::uint32_t length) {
  return length < kMaxRequestBytes && length < gConfig.AUX_REQUEST_BYTE ? length : gConfig.AUX_REQUEST_BYTE;
}

dpaux::KSXAUX_I2C_PARAM I2cRecord(std::uint8_t i2cAddress, std::uint32_t mode, std::uint32_t isWrite) {
  dpaux::KSXAUX_I2C_PARAM record{};
  record.size = sizeof record;
  record.displayType = gConfig.DEVICE_TYPE;
  record.mode = mode;
  record.isWrite = isWrite;
  record.i2cAddress = i2cAddress;
  if (gConfig.WRITE_MOT_DISABLED != 0) record.flags |= dpaux::kFlagWriteHeaderEachTx;
  return record;
}

}  // namespace

int TAuxApi::Open(std::int32_t gpuType) {
  if (opened != 0) return -1;
  dpaux::KSXAUX_OPEN_PARAM record{};
  record.size = sizeof record;
  record.displayType = gConfig.DEVICE_TYPE;
  opened = 1;
  for (const std::int32_t backEnd : {dpaux::kGpuIntel, dpaux::kGpuAmd, dpaux::kGpuNvidia}) {
    if (gpuType != backEnd && gpuType != dpaux::kGpuAutomatic) continue;
    record.gpuType = backEnd;
    gConfig.GPU_TYPE = backEnd;
    if (KSXAUX_OpenDll(&record) == 0) return 0;
  }
  opened = 0;
  return -1;
}

int TAuxApi::Close() {
  if (opened == 0) return -1;
  dpaux::KSXAUX_CLOSE_PARAM record{sizeof(dpaux::KSXAUX_CLOSE_PARAM)};
  KSXAUX_CloseDll(&record);
  opened = 0;
  return 0;
}

// A read of nothing, a chunk size of 0 or no attempt allowed would read
// nothing: each fails.
int TAuxApi::I2cRead(std::uint8_t i2cAddress, std::uint16_t offset, std::uint8_t* data, std::uint32_t length,
                     std::uint32_t mode) {
  if (opened == 0 || length == 0 || gConfig.EEPROM_RD_BUF_SIZE == 0 || gConfig.READ_RETRY_CNT == 0) return -1;
  dpaux::KSXAUX_I2C_PARAM record = I2cRecord(i2cAddress, mode, 0);
  if (gConfig.WRITE_MOT_ENABLED != 0) record.flags |= dpaux::kFlagReadRepeatedStart;
  std::uint32_t chunk = gConfig.EEPROM_RD_BUF_SIZE;
  std::uint32_t done = 0;
  while (done < length) {
    if (length - done < chunk) chunk = length - done;
    record.requestBytes = RequestBytesFor(chunk);
    record.offset = offset;
    record.data = data + done;
    record.length = chunk;
    std::int32_t result = -1;
    for (std::uint32_t attempt = 0; attempt < gConfig.READ_RETRY_CNT && result != 0; ++attempt) {
      result = KSXAUX_I2COverAuxAccess(&record);
    }
    if (result != 0) return -1;
    // The offset is one 16-bit number: a chunk carries into the high byte.
    offset = static_cast<std::uint16_t>(offset + chunk);
    done += chunk;
  }
  return 0;
}

int TAuxApi::I2cWrite(std::uint8_t i2cAddress, std::uint16_t offset, std::uint8_t* data, std::uint32_t length,
                      std::uint32_t mode) {
  if (opened == 0) return -1;
  dpaux::KSXAUX_I2C_PARAM record = I2cRecord(i2cAddress, mode, 1);
  record.offset = offset;
  record.data = data;
  record.length = length;
  record.requestBytes = RequestBytesFor(length);
  return KSXAUX_I2COverAuxAccess(&record) == 0 ? 0 : -1;
}

int TAuxApi::NativeWrite(std::uint32_t dpcdAddress, std::uint8_t* data, std::uint32_t length) {
  if (opened == 0) return -1;
  dpaux::KSXAUX_NATIVE_PARAM record{};
  record.size = sizeof record;
  record.displayType = gConfig.DEVICE_TYPE;
  record.isWrite = 1;
  record.dpcdAddress = dpcdAddress;
  record.data = data;
  record.length = length;
  record.requestBytes = gConfig.AUX_REQUEST_BYTE;
  return KSXAUX_NativeAuxAccess(&record) == 0 ? 0 : -1;
}

}  // namespace tconprobe
