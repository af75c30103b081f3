#pragma once
#include <string>

#include "sim/core/json_reader.h"
#include "sim/core/machine.h"

// The "clock" and "power" sections of the machine file.
namespace sim {

bool LoadClockSection(const Json& section, SimClock& clock, std::string* error);
bool LoadPowerSection(const Json& section, PowerSupply& power, std::string* error);

}  // namespace sim
