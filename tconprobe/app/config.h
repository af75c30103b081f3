#pragma once
#include <cstdint>

// The one configuration record: every setting of the conversation with the
// panel, named by its INI key, and the run's outcome that becomes the exit
// code.
namespace tconprobe {

inline constexpr int kRomRegions = 20;

struct TConfig {
  std::uint8_t TCON_ADDR;
  std::uint8_t EEPROM_ADDR;
  std::uint32_t EEPROM_WR_BUF_SIZE;
  std::uint32_t EEPROM_RD_BUF_SIZE;
  std::uint32_t EEP_DATA_ADDR_FMT;
  std::uint32_t EEI2C_DISABLED;
  std::int32_t DEVICE_TYPE;
  std::int32_t GPU_TYPE;
  std::uint32_t TCON_INIT_FLOW;
  std::uint32_t AUX_REQUEST_BYTE;
  std::uint32_t WRITE_MOT_DISABLED;
  std::uint32_t WRITE_MOT_ENABLED;
  std::uint32_t READ_RETRY_CNT;
  std::int32_t REG_ONE_BYTE_READ;
  std::uint32_t ROM_CKS_COUNT;
  std::uint32_t ROM_CHK_MODE;
  std::uint32_t ROM_CKS_ADDR[kRomRegions];
  std::uint32_t ROM_CKS_SIZE[kRomRegions];
  std::uint32_t ROM_CKS_SIGNATURE[kRomRegions];
  std::uint32_t ROM_VER_ADDRH;
  std::uint32_t ROM_VER_ADDRM;
  std::uint32_t ROM_VER_ADDRL;
  std::uint32_t ROM_VER_SIGNATUREH;
  std::uint32_t ROM_VER_SIGNATUREM;
  std::uint32_t ROM_VER_SIGNATUREL;
  std::int32_t RunStatus;
  std::uint32_t AUTO_CHECK_TCON_ADDR;
  std::uint32_t MCU_RWK_STATUS_REG_ADDR;
  std::uint32_t MCU_RWK_CKS_REG_ADDR;
  std::int32_t FLASH_PROG_ADDR;
  std::uint32_t DEBUG_LOG;
  std::uint32_t CHK_LOG;
};

// Zero at program start; every part of the program reads and writes it in place.
extern TConfig gConfig;

// RunStatus values, which are the exit codes.
inline constexpr std::int32_t kStatusReported = 0;
inline constexpr std::int32_t kStatusMismatchOrUnknownFlow = 1;
inline constexpr std::int32_t kStatusFailed = 2;
inline constexpr std::int32_t kStatusNotCheckable = 3;
inline constexpr std::int32_t kStatusDetectOnly = 4;
inline constexpr std::int32_t kStatusNothingDetected = 5;

// Reads section "GENERAL" of the model INI file in the current directory;
// opens "tool_debug.txt" as the debug log when the file sets DEBUG_LOG.
void LoadConfig(const char* iniFileName);

// Stores the built-in panel profile over what LoadConfig read; with a log
// requested, the named file becomes the debug log.
void ApplyBuiltInProfile(bool logRequested, const char* logFileName);

}  // namespace tconprobe
