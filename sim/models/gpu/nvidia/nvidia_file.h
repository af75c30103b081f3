#pragma once
#include <optional>
#include <string>

#include "sim/core/json_reader.h"
#include "sim/models/gpu/nvidia/nvidia_library.h"

// The "nvidiaGpu" section of the machine file: the GPUs with their displays,
// the names the library lacks, and the failures it answers. Without it the
// machine has no NVIDIA library to load.
namespace sim {

bool LoadNvidiaGpuSection(const Json& section, std::optional<nvidia::Library>& library,
                          std::string* error);

}  // namespace sim
