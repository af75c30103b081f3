// What the run shows on the form and writes to its logs.
#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "tconprobe/app/debug_log.h"
#include "tconprobe/app/main_form.h"

namespace tconprobe {
namespace {

const char* GpuName(std::int32_t gpuType) {
  switch (gpuType) {
    case 1: return "INTEL";
    case 2: return "nVidia";
    case 3: return "AMD";
    default: return "unknown GPU";
  }
}

const char* InterfaceName(std::int32_t deviceType) {
  switch (deviceType) {
    case 2: return "eDP";
    case 3: return "DP";
    default: return "unknown interface";
  }
}

const char* ModelName(std::uint32_t flow) {
  static constexpr const char* kNames[] = {"KS52040", "KS52110", "KS52040", "KS52120", "KS52230",
                                           "KS52310", "KS52320", "KS52310B", "KS52400"};
  return flow < sizeof kNames / sizeof kNames[0] ? kNames[flow] : "unknown TCON";
}

std::string Hex(const char* format, std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(value));
  return text;
}

}  // namespace

void TMainForm::ShowConfiguration() {
  statBar[0] = GpuName(gConfig.GPU_TYPE);
  statBar[1] = InterfaceName(gConfig.DEVICE_TYPE);
  statBar[2] = ModelName(gConfig.TCON_INIT_FLOW);
  if (gConfig.ROM_CHK_MODE != 0) return;
  const bool wide = gConfig.ROM_CKS_ADDR[0] >= 0x10000 || gConfig.ROM_CKS_SIZE[0] >= 0x10000;
  le_RomCksAddr.text = Hex(wide ? "%06X" : "%04X", gConfig.ROM_CKS_ADDR[0]);
  le_RomCksSize.text = Hex(wide ? "%06X" : "%04X", gConfig.ROM_CKS_SIZE[0]);
  le_RomCksSignature.text = Hex("%04X", gConfig.ROM_CKS_SIGNATURE[0]);
  le_RomCksReadValue.fontColour = FontColour::Black;
}

void TMainForm::LogStatus(const char* text) {
  memo_Run.emplace_back(text);
  DebugLine(text);
}

void TMainForm::DetectLog(const char* text, bool withTimeStamp, bool toMemo) {
  std::string line;
  if (withTimeStamp) {
    const platform::LocalTime now = platform::GetLocalTime();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%04u-%02u-%02u %u:%u:%u] ", static_cast<unsigned>(now.year),
                  static_cast<unsigned>(now.month), static_cast<unsigned>(now.day),
                  static_cast<unsigned>(now.hour), static_cast<unsigned>(now.minute),
                  static_cast<unsigned>(now.second));
    line = stamp;
  }
  line += text;
  if (runMode == 1 && detectLog != nullptr) {
    const std::string written = line + "\n";
    platform::WriteText(detectLog, written.data(), written.size());
  }
  platform::FlushTextFile(detectLog);
  if (toMemo) memo_Run.push_back(line);
}

void TMainForm::DetectLogHexDump(const std::uint8_t* bytes, std::uint32_t count) {
  std::string line;
  for (std::uint32_t i = 0; i < count; ++i) {
    line += Hex("%02X ", bytes[i]);
    if (i % 8 == 7) {
      DetectLog(line.c_str(), false, false);
      line.clear();
    }
  }
}

void TMainForm::WriteCheckLog(std::uint32_t expected, std::int32_t read) {
  static constexpr char kFile[] = ".\\chk_log.ini";
  static constexpr char kSection[] = "RESULT";
  const std::int32_t status = gConfig.RunStatus;
  platform::WritePrivateProfileStringA(kSection, nullptr, nullptr, kFile);
  platform::WritePrivateProfileStringA(kSection, "ACTION", status == 0 || status == 1 ? "READ SUCCESS" : "READ FAIL",
                                       kFile);
  platform::WritePrivateProfileStringA(kSection, "CHECK", status == 0 ? "PASS" : "FAIL", kFile);
  platform::WritePrivateProfileStringA(kSection, "SIGNATURE", Hex("%06X", expected).c_str(), kFile);
  platform::WritePrivateProfileStringA(kSection, "CHECKSUM", Hex("%06X", static_cast<std::uint32_t>(read)).c_str(),
                                       kFile);
}

}  // namespace tconprobe
