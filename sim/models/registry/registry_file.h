#pragma once
#include <string>

#include "sim/core/json_reader.h"
#include "sim/models/registry/registry_store.h"

// The "registry" section of the machine file: keys by full path with their
// values, written back with the changes of a run.
namespace sim {

bool LoadRegistrySection(const Json& section, RegistryStore& registry, std::string* error);
void SaveRegistrySection(const RegistryStore& registry, Json& section);

}  // namespace sim
