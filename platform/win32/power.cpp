#include <windows.h>

#include "platform/power.h"

namespace platform {

bool GetSystemPowerStatus(PowerStatus* status) {
  SYSTEM_POWER_STATUS power;
  if (!::GetSystemPowerStatus(&power)) return false;
  status->acLineStatus = power.ACLineStatus;
  status->batteryFlag = power.BatteryFlag;
  status->batteryLifePercent = power.BatteryLifePercent;
  return true;
}

}  // namespace platform
