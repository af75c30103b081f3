#pragma once
#include <cstdint>

namespace platform {

// The fields of SYSTEM_POWER_STATUS that programs read.
struct PowerStatus {
  std::uint8_t acLineStatus;  // 0 offline, 1 online, 255 unknown
  std::uint8_t batteryFlag;
  std::uint8_t batteryLifePercent;
};

// GetSystemPowerStatus: false when the call fails.
bool GetSystemPowerStatus(PowerStatus* status);

}  // namespace platform
