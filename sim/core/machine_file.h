#pragma once
#include <string>

#include "sim/core/json_reader.h"
#include "sim/core/machine.h"

// The machine file: one JSON object whose top-level keys are sections, each
// read by its model's loader (sim/models/<model>/*_file.h). Unknown keys and
// values of the wrong type are errors.
namespace sim {

struct LoadContext {
  std::string baseDir;  // folder of the machine file, for relative paths
};

// Each section reads its key into the machine; sections that the programs
// can change also write themselves back.
struct Section {
  const char* key;
  bool (*load)(const Json& value, Machine& machine, const LoadContext& context, std::string* error);
  void (*save)(const Machine& machine, Json& value);  // null: never changed by a run
};

bool LoadMachineJson(const Json& document, Machine& machine, const LoadContext& context,
                     std::string* error);
// The document as loaded, with the changeable sections written anew.
Json SaveMachineJson(const Json& original, const Machine& machine);

}  // namespace sim
