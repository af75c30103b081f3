// The check: start the TCON, connect to its MCU, have the MCU add up ROM
// regions and compare the sums with the expected values.
#include <cstdio>

#include "platform/clock.h"
#include "tconprobe/app/auxapi.h"
#include "tconprobe/app/crt_rand.h"
#include "tconprobe/app/debug_log.h"
#include "tconprobe/app/main_form.h"

namespace tconprobe {
namespace {

// I2C addressing with a two-byte register offset, high byte first.
constexpr std::uint32_t kTwoByteOffset = 1;

constexpr std::uint16_t kRegTconAddress = 0x0201;
constexpr std::uint16_t kRegConnect = 0xFF0A;
constexpr std::uint16_t kRegStatusAddress = 0xFF07;
constexpr std::uint16_t kRegResultAddress = 0xFF08;
constexpr std::uint16_t kRegEcho = 0xFF0F;
constexpr std::uint16_t kRegChecksumAction = 0xFF06;
constexpr std::uint8_t kStatusAfterSetUp = 0x88;
constexpr std::uint8_t kActionChecksum = 0x86;
constexpr std::uint32_t kPieceBytes = 0x10000;

std::uint16_t StatusRegister() { return static_cast<std::uint16_t>(gConfig.MCU_RWK_STATUS_REG_ADDR); }
std::uint16_t ResultRegister() { return static_cast<std::uint16_t>(gConfig.MCU_RWK_CKS_REG_ADDR); }

int WriteRegisterAddress(std::uint16_t commandRegister, std::uint32_t registerAddress) {
  std::uint8_t bytes[2] = {static_cast<std::uint8_t>(registerAddress >> 8),
                           static_cast<std::uint8_t>(registerAddress)};
  return gAuxApi.I2cWrite(gConfig.EEPROM_ADDR, commandRegister, bytes, 2, kTwoByteOffset);
}

void Put24(std::uint32_t value, std::uint8_t* out) {
  out[0] = static_cast<std::uint8_t>(value >> 16);
  out[1] = static_cast<std::uint8_t>(value >> 8);
  out[2] = static_cast<std::uint8_t>(value);
}

}  // namespace

int TMainForm::RunRomCheck(std::uint32_t checksumMode) {
  int result = 1;
  if (gAuxApi.Open(gConfig.GPU_TYPE) != 0) {
    LogStatus("Open DP Fail");
    return 2;
  }
  StartTcon();
  if (McuConnect() != 0) {
    LogStatus("MCU CONNECT INIT FAIL 0x8F");
    gAuxApi.Close();
    return 2;
  }
  if (checksumMode != 0) {
    gAuxApi.Close();
    return 1;
  }
  LogStatus("CHECKSUM MODE");
  for (std::uint32_t i = 0; i < gConfig.ROM_CKS_COUNT && i < kRomRegions; ++i) {
    std::uint32_t sum = 0;
    const bool read = ReadRegionChecksum(gConfig.ROM_CKS_ADDR[i], gConfig.ROM_CKS_SIZE[i], &sum);
    readValues[i] = static_cast<std::int32_t>(sum);
    if (read) {
      char text[32];
      std::snprintf(text, sizeof text, "Read checksum:%06X", static_cast<unsigned>(sum));
      LogStatus(text);
      readValues[i] &= 0xFFFF;
      std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(readValues[i]));
      le_RomCksReadValue.text = text;
      const bool match = static_cast<std::uint32_t>(readValues[i]) == gConfig.ROM_CKS_SIGNATURE[i];
      le_RomCksReadValue.fontColour = match ? FontColour::Blue : FontColour::Yellow;
      result = match ? 0 : 1;
    } else {
      LogStatus("Read Checksum Fail");
      result = 2;
    }
    if (result == 1) break;
  }
  gAuxApi.Close();
  return result;
}

// The results of these writes are not looked at: a TCON that missed them
// shows up in the connect step.
void TMainForm::StartTcon() {
  std::uint8_t start = 0xC0;
  gAuxApi.NativeWrite(0x00102, &start, 1);
  if (gConfig.EEI2C_DISABLED != 0) {
    std::uint8_t enable = 0x50;
    gAuxApi.NativeWrite(0x0048B, &enable, 1);
  }
}

int TMainForm::McuConnect() {
  if (gConfig.AUTO_CHECK_TCON_ADDR != 0) {
    std::uint8_t own = 0;
    // The TCON names its own address in 7-bit form; a failed read changes nothing.
    if (gAuxApi.I2cRead(gConfig.TCON_ADDR, kRegTconAddress, &own, 1, kTwoByteOffset) == 0) {
      const std::uint8_t candidate = static_cast<std::uint8_t>((own & 0x7F) << 1);
      if ((candidate == 0xC0 || candidate == 0xC2) && candidate != gConfig.TCON_ADDR) gConfig.TCON_ADDR = candidate;
    }
  }
  std::uint8_t connect = 0x01;
  if (gAuxApi.I2cWrite(gConfig.EEPROM_ADDR, kRegConnect, &connect, 1, kTwoByteOffset) != 0) return -1;
  if (WriteRegisterAddress(kRegStatusAddress, gConfig.MCU_RWK_STATUS_REG_ADDR) != 0) return -1;
  if (WriteRegisterAddress(kRegResultAddress, gConfig.MCU_RWK_CKS_REG_ADDR) != 0) return -1;
  std::uint8_t status = 0;
  if (gAuxApi.I2cRead(gConfig.TCON_ADDR, StatusRegister(), &status, 1, kTwoByteOffset) != 0 ||
      status != kStatusAfterSetUp) {
    return -1;
  }
  std::uint8_t challenge[3];
  for (std::uint8_t& byte : challenge) byte = static_cast<std::uint8_t>(CrtRand());
  if (gAuxApi.I2cWrite(gConfig.EEPROM_ADDR, kRegEcho, challenge, 3, kTwoByteOffset) != 0) return -1;
  std::uint8_t echo[3];
  if (!ReadBackThreeBytes(echo)) return -1;
  return echo[0] == challenge[0] && echo[1] == challenge[1] && echo[2] == challenge[2] ? 0 : -1;
}

// The MCU's result register, read as three single bytes or as one piece.
// Every single-byte read is made, and any failed one fails the read-back, so
// a stale byte never counts as an answer.
bool TMainForm::ReadBackThreeBytes(std::uint8_t bytes[3]) {
  bytes[0] = bytes[1] = bytes[2] = 0;
  if (gConfig.REG_ONE_BYTE_READ == 0) {
    return gAuxApi.I2cRead(gConfig.TCON_ADDR, ResultRegister(), bytes, 3, kTwoByteOffset) == 0;
  }
  bool ok = true;
  for (std::uint16_t i = 0; i < 3; ++i) {
    const std::uint16_t address = static_cast<std::uint16_t>(ResultRegister() + i);
    ok = gAuxApi.I2cRead(gConfig.TCON_ADDR, address, &bytes[i], 1, kTwoByteOffset) == 0 && ok;
  }
  return ok;
}

// Polls the status register back to back while the reads succeed; only a
// failed read pauses for 1 ms. Elapsed time is measured in milliseconds as
// a floating-point value, so short time-outs are exact.
int TMainForm::WaitMcuAction(std::uint32_t timeoutMs, std::uint8_t action) {
  std::int64_t frequency = 0, start = 0, now = 0;
  int lastResult = -1;
  std::uint8_t lastByte = 0;
  const bool counter = platform::QueryPerformanceFrequency(&frequency) && frequency > 0 &&
                       platform::QueryPerformanceCounter(&start);
  double elapsedMs = 0.0;
  while (counter && static_cast<double>(timeoutMs) > elapsedMs) {
    platform::QueryPerformanceCounter(&now);
    elapsedMs = static_cast<double>(now - start) * 1000.0 / static_cast<double>(frequency);
    std::uint8_t status = 0;
    lastResult = gAuxApi.I2cRead(gConfig.TCON_ADDR, StatusRegister(), &status, 1, kTwoByteOffset);
    if (lastResult != 0) {
      platform::Sleep(1);
      continue;
    }
    lastByte = status;
    if ((status & 0x0F) != (action & 0x0F)) {
      char text[64];
      std::snprintf(text, sizeof text, "action mismatch read:%02X, send:%02X", static_cast<unsigned>(status),
                    static_cast<unsigned>(action));
      DebugLine(text);
      return 1;
    }
    if ((status & 0x80) != 0) return 0;
  }
  char text[96];
  std::snprintf(text, sizeof text, "timeout on action %02X, connect status is %d, rdBack status %02X",
                static_cast<unsigned>(action), lastResult, static_cast<unsigned>(lastByte));
  DebugLine(text);
  return 2;
}

// Regions are done in pieces of 64 KiB whose results add up. The loop
// counts what remains, so no region size can wrap the offset.
bool TMainForm::ReadRegionChecksum(std::uint32_t start, std::uint32_t size, std::uint32_t* sum) {
  *sum = 0;
  const std::uint32_t timeoutMs = ((size >> 8) + 1) * 10;
  std::uint32_t offset = 0;
  std::uint32_t remaining = size;
  while (remaining > 0) {
    std::uint8_t clear[3] = {0, 0, 0};
    gAuxApi.I2cWrite(gConfig.TCON_ADDR, ResultRegister(), clear, 3, kTwoByteOffset);
    const std::uint32_t piece = remaining < kPieceBytes ? remaining : kPieceBytes;
    std::uint8_t command[6];
    Put24(start + offset, command);
    Put24(piece, command + 3);
    gAuxApi.I2cWrite(gConfig.EEPROM_ADDR, kRegChecksumAction, command, 6, kTwoByteOffset);
    if (WaitMcuAction(timeoutMs, kActionChecksum) != 0) return false;
    std::uint8_t result[3];
    if (!ReadBackThreeBytes(result)) return false;
    const std::uint32_t partial = (static_cast<std::uint32_t>(result[0]) << 16) |
                                  (static_cast<std::uint32_t>(result[1]) << 8) | result[2];
    char text[64];
    std::snprintf(text, sizeof text, "partial checksum of %06X is %06X", static_cast<unsigned>(offset),
                  static_cast<unsigned>(partial));
    DebugLine(text);
    *sum += partial;
    offset += piece;
    remaining -= piece;
  }
  char text[40];
  std::snprintf(text, sizeof text, "Whole checksum is %06X", static_cast<unsigned>(*sum));
  DebugLine(text);
  return true;
}

}  // namespace tconprobe
