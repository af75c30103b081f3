#include "tconprobe/app/config.h"

#include <cstdio>
#include <cstring>

#include "platform/file_operations.h"
#include "platform/ini.h"
#include "tconprobe/app/debug_log.h"
#include "tconprobe/app/ini_integer.h"

namespace tconprobe {

TConfig gConfig;

namespace {

constexpr std::uint32_t kPathSize = 260;
constexpr char kSection[] = "GENERAL";

// The INI file being read; empty when its path does not fit, which reads as
// a missing file.
struct IniFile {
  char path[kPathSize];
  bool usable;
};

// A value that fills the buffer may have been cut, so it is not taken.
std::int32_t ReadInteger(const IniFile& ini, const char* key, std::int32_t defaultValue) {
  if (!ini.usable) return defaultValue;
  char text[64];
  const std::uint32_t count =
      platform::GetPrivateProfileStringA(kSection, key, "", text, sizeof text, ini.path);
  std::int32_t value = 0;
  if (count >= sizeof text - 1 || !ParseIniInteger(std::string_view(text, count), &value)) return defaultValue;
  return value;
}

std::uint32_t ReadUnsigned(const IniFile& ini, const char* key, std::uint32_t defaultValue) {
  return static_cast<std::uint32_t>(ReadInteger(ini, key, static_cast<std::int32_t>(defaultValue)));
}

IniFile OpenIni(const char* iniFileName) {
  IniFile ini{};
  char directory[kPathSize];
  const std::uint32_t length = platform::GetCurrentDirectoryA(kPathSize, directory);
  if (length == 0 || length >= kPathSize) return ini;
  const int written = std::snprintf(ini.path, kPathSize, "%s\\%s", directory, iniFileName);
  ini.usable = written > 0 && static_cast<std::uint32_t>(written) < kPathSize;
  return ini;
}

void ReadRegion(const IniFile& ini, int index, const char* addrKey, const char* sizeKey, const char* signatureKey) {
  gConfig.ROM_CKS_ADDR[index] = ReadUnsigned(ini, addrKey, 0);
  gConfig.ROM_CKS_SIZE[index] = ReadUnsigned(ini, sizeKey, 0);
  gConfig.ROM_CKS_SIGNATURE[index] = ReadUnsigned(ini, signatureKey, 0x9487);
}

}  // namespace

void LoadConfig(const char* iniFileName) {
  const IniFile ini = OpenIni(iniFileName);
  TConfig& c = gConfig;
  c.TCON_ADDR = static_cast<std::uint8_t>(ReadInteger(ini, "TCON_ADDR", 0xC0));
  c.EEPROM_ADDR = static_cast<std::uint8_t>(ReadInteger(ini, "EEPROM_ADDR", 0xC0));
  // Three names are stored with a trailing blank; the lookup ignores it.
  c.EEPROM_WR_BUF_SIZE = ReadUnsigned(ini, "EEPROM_WR_BUF_SIZE ", 256);
  c.EEPROM_RD_BUF_SIZE = ReadUnsigned(ini, "EEPROM_RD_BUF_SIZE ", c.EEPROM_WR_BUF_SIZE);
  c.EEI2C_DISABLED = ReadUnsigned(ini, "EEI2C_DISABLED", 0);
  c.EEP_DATA_ADDR_FMT = ReadUnsigned(ini, "EEP_DATA_ADDR_FMT ", 0);
  c.DEVICE_TYPE = ReadInteger(ini, "DEVICE_TYPE", 2);
  c.GPU_TYPE = ReadInteger(ini, "GPU_TYPE", 0);
  // The AMD library moves at most 128 bytes a call.
  if (c.GPU_TYPE == 3) {
    if (c.EEPROM_WR_BUF_SIZE > 128) c.EEPROM_WR_BUF_SIZE = 128;
    if (c.EEPROM_RD_BUF_SIZE > 128) c.EEPROM_RD_BUF_SIZE = 128;
  }
  c.TCON_INIT_FLOW = ReadUnsigned(ini, "TCON_INIT_FLOW", 0);
  c.AUX_REQUEST_BYTE = ReadUnsigned(ini, "AUX_REQUEST_BYTE", 2);
  c.WRITE_MOT_DISABLED = ReadUnsigned(ini, "WRITE_MOT_DISABLED", 0);
  c.WRITE_MOT_ENABLED = ReadUnsigned(ini, "WRITE_MOT_ENABLED", 0);
  c.READ_RETRY_CNT = ReadUnsigned(ini, "READ_RETRY_CNT", 1);
  c.REG_ONE_BYTE_READ = ReadInteger(ini, "REG_ONE_BYTE_READ", 1);
  c.ROM_CKS_COUNT = ReadUnsigned(ini, "ROM_CKS_COUNT", 0);
  if (c.ROM_CKS_COUNT > kRomRegions) c.ROM_CKS_COUNT = kRomRegions;
  ReadRegion(ini, 0, "ROM_CKS_ADDR", "ROM_CKS_SIZE", "ROM_CKS_SIGNATURE");
  for (int i = 1; i < kRomRegions; ++i) {
    char addrKey[32], sizeKey[32], signatureKey[32];
    std::snprintf(addrKey, sizeof addrKey, "ROM_CKS_ADDR_%d", i);
    std::snprintf(sizeKey, sizeof sizeKey, "ROM_CKS_SIZE_%d", i);
    std::snprintf(signatureKey, sizeof signatureKey, "ROM_CKS_SIGNATURE_%d", i);
    ReadRegion(ini, i, addrKey, sizeKey, signatureKey);
  }
  c.ROM_CHK_MODE = ReadUnsigned(ini, "ROM_CHK_MODE", 0);
  c.ROM_VER_ADDRH = ReadUnsigned(ini, "ROM_VER_ADDRH", 0);
  c.ROM_VER_ADDRM = ReadUnsigned(ini, "ROM_VER_ADDRM", 0);
  c.ROM_VER_ADDRL = ReadUnsigned(ini, "ROM_VER_ADDRL", 0);
  c.ROM_VER_SIGNATUREH = ReadUnsigned(ini, "ROM_VER_SIGNATUREH", 0x99);
  c.ROM_VER_SIGNATUREM = ReadUnsigned(ini, "ROM_VER_SIGNATUREM", 0x88);
  c.ROM_VER_SIGNATUREL = ReadUnsigned(ini, "ROM_VER_SIGNATUREL", 0x77);
  c.AUTO_CHECK_TCON_ADDR = ReadUnsigned(ini, "AUTO_CHECK_TCON_ADDR", 1);
  c.MCU_RWK_STATUS_REG_ADDR = ReadUnsigned(ini, "MCU_RWK_STATUS_REG_ADDR", 5);
  c.MCU_RWK_CKS_REG_ADDR = ReadUnsigned(ini, "MCU_RWK_CKS_REG_ADDR", 6);
  c.FLASH_PROG_ADDR = ReadInteger(ini, "FLASH_PROG_ADDR", 0x5000);
  c.DEBUG_LOG = ReadUnsigned(ini, "DEBUG_LOG", 0);
  c.CHK_LOG = ReadUnsigned(ini, "CHK_LOG", 0);
  if (c.DEBUG_LOG != 0) OpenDebugLog("tool_debug.txt");
}

void ApplyBuiltInProfile(bool logRequested, const char* logFileName) {
  TConfig& c = gConfig;
  c.TCON_ADDR = 0xC2;
  c.EEPROM_ADDR = 0xC4;
  c.EEPROM_WR_BUF_SIZE = 256;
  c.EEPROM_RD_BUF_SIZE = 256;
  c.EEI2C_DISABLED = 0;
  c.EEP_DATA_ADDR_FMT = 0;
  c.DEVICE_TYPE = 2;
  c.GPU_TYPE = 1;
  c.TCON_INIT_FLOW = 5;
  c.AUX_REQUEST_BYTE = 2;
  c.WRITE_MOT_DISABLED = 0;
  c.WRITE_MOT_ENABLED = 1;
  c.READ_RETRY_CNT = 1;
  c.REG_ONE_BYTE_READ = 1;
  c.ROM_CHK_MODE = 0;
  c.ROM_CKS_COUNT = 1;
  c.ROM_CKS_ADDR[0] = 0x8287;
  c.ROM_CKS_SIZE[0] = 1;
  c.ROM_CKS_SIGNATURE[0] = 8;
  c.AUTO_CHECK_TCON_ADDR = 1;
  c.MCU_RWK_STATUS_REG_ADDR = 0x88;
  c.MCU_RWK_CKS_REG_ADDR = 0x89;
  c.DEBUG_LOG = logRequested ? 1 : 0;
  c.CHK_LOG = 0;
  if (c.DEBUG_LOG != 0) OpenDebugLog(logFileName);
}

}  // namespace tconprobe
