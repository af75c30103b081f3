#pragma once
#include <string>
#include <vector>

#include "sim/core/json_reader.h"
#include "sim/models/installer/products.h"

// The "installer" section of the machine file: {"products": [...]}.
namespace sim {

bool LoadInstallerSection(const Json& section, std::vector<InstalledProduct>& products,
                          std::string* error);

}  // namespace sim
