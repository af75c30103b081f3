// The power status of the simulated machine.
#include "platform/power.h"

#include "sim/core/machine.h"
#include "sim/core/trace.h"

namespace platform {

bool GetSystemPowerStatus(PowerStatus* status) {
  const sim::PowerSupply& power = sim::CurrentMachine().power;
  if (power.fails) {
    sim::Trace("kernel32.GetSystemPowerStatus -> failed");
    return false;
  }
  status->acLineStatus = power.acLineStatus;
  status->batteryFlag = power.acLineStatus == 1 ? 8 : 0;  // charging on line power
  status->batteryLifePercent = 100;
  sim::Trace("kernel32.GetSystemPowerStatus -> ac=" + std::to_string(power.acLineStatus));
  return true;
}

}  // namespace platform
