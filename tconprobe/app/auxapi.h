#pragma once
#include <cstdint>

// The application's side of the AUX channel: every panel transfer goes
// through the exported AUX functions, with the request shaping read from
// the configuration on every call. All operations return 0 or -1.
namespace tconprobe {

class TAuxApi {
 public:
  // gpuType 0 tries Intel, AMD and NVIDIA in turn; GPU_TYPE ends at the
  // back-end tried last. Fails while a channel is open.
  int Open(std::int32_t gpuType);
  int Close();
  // Reads in chunks of EEPROM_RD_BUF_SIZE, each tried READ_RETRY_CNT times.
  int I2cRead(std::uint8_t i2cAddress, std::uint16_t offset, std::uint8_t* data, std::uint32_t length,
              std::uint32_t mode);
  // One call; the back-end cuts the transfer.
  int I2cWrite(std::uint8_t i2cAddress, std::uint16_t offset, std::uint8_t* data, std::uint32_t length,
               std::uint32_t mode);
  int NativeWrite(std::uint32_t dpcdAddress, std::uint8_t* data, std::uint32_t length);

  std::uint8_t opened = 0;
};

extern TAuxApi gAuxApi;

}  // namespace tconprobe
