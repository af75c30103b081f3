#pragma once
#include <optional>
#include <string>

#include "sim/core/json_reader.h"
#include "sim/models/gpu/intel/cui.h"

// The "intelGpu" section of the machine file: the displays with their
// attached devices, the power feature word and the driver's faults. Without
// it the machine has no CUI object to create.
namespace sim {

bool LoadIntelGpuSection(const Json& section, std::optional<intel::Cui>& cui, std::string* error);

}  // namespace sim
