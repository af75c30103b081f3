// Detection: which GPU back-end and link reach the panel's TCON, whether it
// keeps its firmware in flash or in an EEPROM, its I2C address, the flash
// program address and the model; the configuration is set to match.
#include <cstdio>
#include <cstring>
#include <string>

#include "tconprobe/app/auxapi.h"
#include "tconprobe/app/main_form.h"
#include "tconprobe/app/tcon_models.h"

namespace tconprobe {
namespace {

// Written around the MCU accesses: 0x00 at the start of a trial, 0xC0
// before the MCU reads, 0x00 after the probe block.
constexpr std::uint32_t kDpcdMcuAccess = 0x102;
constexpr std::uint8_t kMcuAddress = 0xC4;
constexpr std::uint8_t kEepromAddress = 0xC0;
constexpr std::uint32_t kTwoByteOffset = 1;
constexpr std::uint32_t kSmallEepromOffset = 0;
constexpr std::uint16_t kProbeBlockOffset = 0x0500;
constexpr std::uint16_t kRegTconAddress = 0x0201;
constexpr std::uint16_t kRegFlashRead = 0xFF03;
constexpr std::uint16_t kProgramAddressCandidates[] = {0xD000, 0xE000, 0x5000};
constexpr std::int32_t kGpuCodes[] = {1, 2, 3};     // Intel, NVIDIA, AMD
constexpr std::int32_t kLinkCodes[] = {3, 2};       // external DisplayPort, then eDP

enum class Store { None, Flash, Eeprom400, Eeprom040 };

// Register offsets are 16 bits; a configured program address of any size
// wraps into them.
std::uint16_t Offset(std::uint32_t value) { return static_cast<std::uint16_t>(value); }

int WriteDpcd(std::uint8_t value) { return gAuxApi.NativeWrite(kDpcdMcuAccess, &value, 1); }

// Each read starts from a zeroed buffer, and one that fails leaves it
// zeroed: bytes of a failed read never count as an answer.
int ReadZeroed(std::uint8_t address, std::uint16_t offset, std::uint8_t* data, std::uint32_t length,
               std::uint32_t mode) {
  std::memset(data, 0, length);
  const int result = gAuxApi.I2cRead(address, offset, data, length, mode);
  if (result != 0) std::memset(data, 0, length);
  return result;
}

// Read twice in a row; only the second result counts.
int ReadTwice(std::uint16_t offset, std::uint8_t* data, std::uint32_t length) {
  ReadZeroed(kMcuAddress, offset, data, length, kTwoByteOffset);
  return ReadZeroed(kMcuAddress, offset, data, length, kTwoByteOffset);
}

int WriteFlashReadMode(std::uint8_t mode) {
  std::uint8_t bytes[2] = {0x00, mode};
  return gAuxApi.I2cWrite(kMcuAddress, kRegFlashRead, bytes, 2, kTwoByteOffset);
}

std::string Format(const char* format, unsigned value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

class Detection {
 public:
  explicit Detection(TMainForm& form) : form_(form) {}

  void Run() {
    const std::int32_t enteredDevice = gConfig.DEVICE_TYPE;
    const std::int32_t enteredGpu = gConfig.GPU_TYPE;
    enteredTconAddress_ = gConfig.TCON_ADDR;
    form_.DetectLog("Detect GPU and DP interface", true, true);
    for (const std::int32_t gpu : kGpuCodes) {
      for (const std::int32_t link : kLinkCodes) {
        const Store store = TryLink(gpu, link);
        if (store == Store::None) continue;
        form_.DetectLog("Detect Model parameter", true, true);
        if (store == Store::Flash) {
          DetectFlashModel();
        } else {
          DetectEepromModel(store == Store::Eeprom400 ? kEeprom400 : kEeprom040);
        }
        return;
      }
    }
    if (lastResult_ != 0) {
      Log("NO GPU AVAILABLE");
      gConfig.DEVICE_TYPE = enteredDevice;
      gConfig.GPU_TYPE = enteredGpu;
    } else {
      form_.DetectLog("Detect Model parameter", true, true);
      Log("NO TCON FLOW AVAILABLE");
    }
    gConfig.RunStatus = kStatusNothingDetected;
  }

 private:
  void Log(const std::string& text) { form_.DetectLog(text.c_str(), false, false); }

  // One trial: the channel stays open when it finds a firmware store.
  Store TryLink(std::int32_t gpu, std::int32_t link) {
    char text[32];
    std::snprintf(text, sizeof text, "gpu:%d, dp:%d", static_cast<int>(gpu), static_cast<int>(link));
    form_.DetectLog(text, false, true);
    gConfig.GPU_TYPE = gpu;
    gConfig.DEVICE_TYPE = link;
    lastResult_ = gAuxApi.Open(gpu);
    if (lastResult_ != 0) return Store::None;
    lastResult_ = WriteDpcd(0x00);
    if (lastResult_ != 0) return CloseWith(Store::None);
    form_.DetectLog("CHECK I2C over AUX", false, true);
    std::memset(probeBlock_, 0, sizeof probeBlock_);
    WriteDpcd(0xC0);
    lastResult_ = ReadTwice(kProbeBlockOffset, probeBlock_, kProbeBlockBytes);
    WriteDpcd(0x00);
    if (lastResult_ != 0) return CloseWith(Store::None);
    form_.DetectLogHexDump(probeBlock_, kProbeBlockBytes);
    if (IsFlashProbeBlock(probeBlock_)) {
      Log("MEMORY: FLASH");
      return Store::Flash;
    }
    std::uint8_t signatures[8];
    ReadZeroed(kEepromAddress, 0x0400, signatures, 4, kSmallEepromOffset);
    lastResult_ = ReadZeroed(kEepromAddress, 0x0500, signatures + 4, 4, kSmallEepromOffset);
    form_.DetectLogHexDump(signatures, 8);
    if (HasEepromSignature(signatures)) {
      Log(kEeprom400.series);
      return Store::Eeprom400;
    }
    if (HasEepromSignature(signatures + 4)) {
      Log(kEeprom040.series);
      return Store::Eeprom040;
    }
    Log("EEPROM:unknown");
    return CloseWith(Store::None);
  }

  Store CloseWith(Store store) {
    gAuxApi.Close();
    return store;
  }

  void DetectEepromModel(const EepromModel& model) {
    gConfig.TCON_INIT_FLOW = model.initFlow;
    Log(model.recommendation);
    gAuxApi.Close();
  }

  // Writes inside model detection are not looked at; a failed read counts
  // as zeros, so it changes no address and matches nothing.
  void DetectFlashModel() {
    WriteDpcd(0xC0);
    std::uint8_t own = 0;
    if (ReadTwice(kRegTconAddress, &own, 1) == 0) {
      const std::uint8_t address = static_cast<std::uint8_t>(own << 1);
      if (address != (enteredTconAddress_ & 0xFE)) {
        Log(Format("TCON ADDR:0x%02X", address));
        gConfig.TCON_ADDR = address;
      }
    }
    gConfig.EEPROM_ADDR = kMcuAddress;
    char text[48];
    std::snprintf(text, sizeof text, "TCON addr:0x%02X, MCU addr:0x%02X", static_cast<unsigned>(gConfig.TCON_ADDR),
                  static_cast<unsigned>(gConfig.EEPROM_ADDR));
    Log(text);

    WriteFlashReadMode(0x80);
    bool found = false;
    for (const std::uint16_t candidate : kProgramAddressCandidates) {
      Log(Format("Test flash prog addr:0x%04X", candidate));
      std::uint8_t block[kProbeBlockBytes];
      const int result = ReadTwice(Offset(candidate + kProbeBlockOffset + 0u), block, kProbeBlockBytes);
      form_.DetectLogHexDump(block, kProbeBlockBytes);
      if (result == 0 && std::memcmp(block, probeBlock_, kProbeBlockBytes) == 0) {
        gConfig.FLASH_PROG_ADDR = candidate;
        found = true;
        break;
      }
    }
    Log(found ? Format("FLASH_PROG_ADDR:0x%04X", static_cast<unsigned>(gConfig.FLASH_PROG_ADDR))
              : std::string("NO_FLASH_PROG_ADDR_AVAILABLE"));

    WriteFlashReadMode(0x70);
    std::uint8_t version[2 * kProbeBlockBytes];
    const std::uint32_t programAddress = static_cast<std::uint32_t>(gConfig.FLASH_PROG_ADDR);
    ReadTwice(Offset(programAddress + 0x0F00), version, kProbeBlockBytes);
    ReadTwice(Offset(programAddress + 0x0F80), version + kProbeBlockBytes, kProbeBlockBytes);
    form_.DetectLogHexDump(version, sizeof version);
    const int at = FindVersionRecord(version, sizeof version);
    if (at < 0) {
      Log("NO TCON FLOW AVAILABLE");
      Fail();
      return;
    }
    const FlashModel* model = FindFlashModel(static_cast<std::uint16_t>(version[at + 8] << 8 | version[at + 9]));
    if (model == nullptr) {
      Log("recommend based model:unknown");
      Fail();
      return;
    }
    gConfig.TCON_INIT_FLOW = model->initFlow;
    gConfig.REG_ONE_BYTE_READ = model->oneByteReads;
    Log(model->recommendation);
    gAuxApi.Close();
  }

  void Fail() {
    gAuxApi.Close();
    gConfig.RunStatus = kStatusNothingDetected;
  }

  TMainForm& form_;
  std::uint8_t probeBlock_[kProbeBlockBytes] = {};
  std::uint8_t enteredTconAddress_ = 0;
  // Set only by the open, the first DPCD write, the second probe block read
  // and the second EEPROM read of a trial.
  int lastResult_ = -1;
};

}  // namespace

void TMainForm::Detect() { Detection(*this).Run(); }

}  // namespace tconprobe
