#pragma once
#include <string>

#include "sim/core/json_reader.h"
#include "sim/models/wmi/wmi_model.h"

// The "wmi" section of the machine file: classes with their rows, and
// failures injected into the steps of a query.
namespace sim {

bool LoadWmiSection(const Json& section, WmiModel& wmi, std::string* error);

}  // namespace sim
