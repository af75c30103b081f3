#pragma once
#include <optional>
#include <string>

#include "sim/core/json_reader.h"
#include "sim/models/gpu/amd/adl.h"

// The "amdGpu" section of the machine file: which library files exist and
// which names they lack, the adapters with their display lists, and the
// library's faults. Without it the machine has no AMD library.
namespace sim {

bool LoadAmdGpuSection(const Json& section, std::optional<amd::Adl>& adl, std::string* error);

}  // namespace sim
