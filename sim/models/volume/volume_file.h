#pragma once
#include <string>

#include "sim/core/json_reader.h"
#include "sim/models/volume/free_space.h"

// The "volume" section of the machine file: {"freeBytes": N, "whenFull": "fail" | "kill"}.
namespace sim {

bool LoadVolumeSection(const Json& section, FreeSpace& volume, std::string* error);

}  // namespace sim
