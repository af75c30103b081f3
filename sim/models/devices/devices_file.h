#pragma once
#include <string>
#include <vector>

#include "sim/core/json_reader.h"
#include "sim/models/devices/devices.h"

// The "devices" section of the machine file: names, or {"name", "readWrite"}.
namespace sim {

bool LoadDevicesSection(const Json& section, std::vector<Device>& devices, std::string* error);

}  // namespace sim
