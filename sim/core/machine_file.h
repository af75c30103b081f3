#pragma once
#include <string>

#include <nlohmann/json.hpp>

#include "sim/core/machine.h"

// The machine file: one JSON object whose top-level keys are sections.
// Unknown keys and values of the wrong type are errors.
namespace sim {

using Json = nlohmann::ordered_json;

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

// Helpers shared by the section parsers.
bool ExpectType(const Json& value, Json::value_t type, const std::string& where, std::string* error);
// A whole number from 0 to limit.
bool ExpectNumber(const Json& value, const std::string& where, std::uint32_t limit,
                  std::uint32_t* out, std::string* error);
bool ParseHex(const std::string& hex, std::vector<std::uint8_t>* bytes);
// A whole number from 0 to limit, written as a number or as "0x" and hexadecimal digits.
bool ExpectNumberOrHex(const Json& value, const std::string& where, std::uint32_t limit,
                       std::uint32_t* out, std::string* error);

// Sections, each in its own file.
bool LoadRegistrySection(const Json& value, Machine& machine, const LoadContext& context,
                         std::string* error);
void SaveRegistrySection(const Machine& machine, Json& value);
bool LoadDevicesSection(const Json& value, Machine& machine, const LoadContext& context,
                        std::string* error);
bool LoadInstallerSection(const Json& value, Machine& machine, const LoadContext& context,
                          std::string* error);
bool LoadDisksSection(const Json& value, Machine& machine, const LoadContext& context,
                      std::string* error);
bool LoadDiskListErrorSection(const Json& value, Machine& machine, const LoadContext& context,
                              std::string* error);
bool LoadRstSection(const Json& value, Machine& machine, const LoadContext& context,
                    std::string* error);
void SaveRstSection(const Machine& machine, Json& value);
bool LoadPanelSection(const Json& value, Machine& machine, const LoadContext& context,
                      std::string* error);
bool LoadIntelGpuSection(const Json& value, Machine& machine, const LoadContext& context,
                         std::string* error);
bool LoadClockSection(const Json& value, Machine& machine, const LoadContext& context,
                      std::string* error);
bool LoadPowerSection(const Json& value, Machine& machine, const LoadContext& context,
                      std::string* error);
bool LoadWmiSection(const Json& value, Machine& machine, const LoadContext& context,
                    std::string* error);

}  // namespace sim
