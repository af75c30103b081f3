#pragma once
#include <string>

#include "sim/core/json_reader.h"
#include "sim/models/storage/disks.h"
#include "sim/models/storage/rst_controller.h"

// The storage sections of the machine file: "disks" and "diskListError"
// (what SetupAPI lists), and "rstControllers" with their NVMe drives, whose
// host metadata is written back with the changes of a run.
namespace sim {

bool LoadDisksSection(const Json& section, DiskList& diskList, std::string* error);
bool LoadDiskListErrorSection(const Json& section, DiskList& diskList, std::string* error);
bool LoadRstSection(const Json& section, RstControllers& controllers, std::string* error);
void SaveRstSection(const RstControllers& controllers, Json& section);

}  // namespace sim
