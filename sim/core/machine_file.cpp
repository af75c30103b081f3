#include "sim/core/machine_file.h"

#include <cstdio>

#include "sim/core/clock_power_file.h"
#include "sim/core/text_codec.h"
#include "sim/models/devices/devices_file.h"
#include "sim/models/gpu/amd/adl_file.h"
#include "sim/models/gpu/intel/cui_file.h"
#include "sim/models/gpu/nvidia/nvidia_file.h"
#include "sim/models/installer/installer_file.h"
#include "sim/models/panel/panel_file.h"
#include "sim/models/registry/registry_file.h"
#include "sim/models/storage/storage_file.h"
#include "sim/models/volume/volume_file.h"
#include "sim/models/wmi/wmi_file.h"

namespace sim {
namespace {

bool LoadWindows(const Json& value, Machine& machine, const LoadContext&, std::string* error) {
  if (value.is_number_integer() && (value.get<int>() == 64 || value.get<int>() == 32)) {
    machine.windows64 = value.get<int>() == 64;
    return true;
  }
  *error = "\"windows\" must be 64 or 32";
  return false;
}

bool LoadWow64Api(const Json& value, Machine& machine, const LoadContext&, std::string* error) {
  const std::string text = value.is_string() ? value.get<std::string>() : "";
  if (text == "present") machine.wow64Api = Wow64Api::Present;
  else if (text == "missing") machine.wow64Api = Wow64Api::Missing;
  else if (text == "fails") machine.wow64Api = Wow64Api::Fails;
  else {
    *error = "\"isWow64Process\" must be \"present\", \"missing\" or \"fails\"";
    return false;
  }
  return true;
}

bool LoadAdministrator(const Json& value, Machine& machine, const LoadContext&, std::string* error) {
  if (!ExpectType(value, Json::value_t::boolean, "\"administrator\"", error)) return false;
  machine.administrator = value.get<bool>();
  return true;
}

bool LoadParentConsole(const Json& value, Machine& machine, const LoadContext&, std::string* error) {
  if (!ExpectType(value, Json::value_t::boolean, "\"parentConsole\"", error)) return false;
  machine.parentConsole = value.get<bool>();
  return true;
}

bool LoadLocalTime(const Json& value, Machine& machine, const LoadContext&, std::string* error) {
  platform::LocalTime t{};
  char tail = 0;
  const std::string text = value.is_string() ? value.get<std::string>() : "";
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                  &t.minute, &t.second, &tail) != 6 ||
      t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 59) {
    *error = "\"localTime\" must look like 2021-11-28T16:26:58";
    return false;
  }
  machine.localTime = t;
  return true;
}

std::string ResolvePath(const std::string& path, const LoadContext& context) {
  if (path.empty() || path[0] == '/' || context.baseDir.empty()) return path;
  return context.baseDir + "/" + path;
}

bool LoadDriveC(const Json& value, Machine& machine, const LoadContext& context, std::string* error) {
  if (!ExpectType(value, Json::value_t::string, "\"driveC\"", error)) return false;
  machine.driveC = ResolvePath(value.get<std::string>(), context);
  return true;
}

bool LoadTrace(const Json& value, Machine& machine, const LoadContext& context, std::string* error) {
  if (!ExpectType(value, Json::value_t::string, "\"trace\"", error)) return false;
  machine.tracePath = ResolvePath(value.get<std::string>(), context);
  return true;
}

bool LoadComment(const Json&, Machine&, const LoadContext&, std::string*) { return true; }

// A model's section: its loader and saver work on the model's part of the
// machine alone.
template <auto part, auto load>
bool LoadPart(const Json& value, Machine& machine, const LoadContext&, std::string* error) {
  return load(value, machine.*part, error);
}
template <auto part, auto save>
void SavePart(const Machine& machine, Json& value) {
  save(machine.*part, value);
}

const Section kSections[] = {
    {"comment", LoadComment, nullptr},
    {"windows", LoadWindows, nullptr},
    {"isWow64Process", LoadWow64Api, nullptr},
    {"administrator", LoadAdministrator, nullptr},
    {"localTime", LoadLocalTime, nullptr},
    {"parentConsole", LoadParentConsole, nullptr},
    {"driveC", LoadDriveC, nullptr},
    {"trace", LoadTrace, nullptr},
    {"registry", LoadPart<&Machine::registry, LoadRegistrySection>,
     SavePart<&Machine::registry, SaveRegistrySection>},
    {"devices", LoadPart<&Machine::devices, LoadDevicesSection>, nullptr},
    {"installer", LoadPart<&Machine::installerProducts, LoadInstallerSection>, nullptr},
    {"disks", LoadPart<&Machine::diskList, LoadDisksSection>, nullptr},
    {"diskListError", LoadPart<&Machine::diskList, LoadDiskListErrorSection>, nullptr},
    {"rstControllers", LoadPart<&Machine::rst, LoadRstSection>,
     SavePart<&Machine::rst, SaveRstSection>},
    {"wmi", LoadPart<&Machine::wmi, LoadWmiSection>, nullptr},
    {"panel", LoadPart<&Machine::panel, LoadPanelSection>, nullptr},
    {"intelGpu", LoadPart<&Machine::intelGpu, LoadIntelGpuSection>, nullptr},
    {"amdGpu", LoadPart<&Machine::amdGpu, LoadAmdGpuSection>, nullptr},
    {"nvidiaGpu", LoadPart<&Machine::nvidiaGpu, LoadNvidiaGpuSection>, nullptr},
    {"clock", LoadPart<&Machine::clock, LoadClockSection>, nullptr},
    {"power", LoadPart<&Machine::power, LoadPowerSection>, nullptr},
    {"volume", LoadPart<&Machine::volume, LoadVolumeSection>, nullptr},
};

}  // namespace

bool LoadMachineJson(const Json& document, Machine& machine, const LoadContext& context,
                     std::string* error) {
  if (!document.is_object()) {
    *error = "the machine must be a JSON object";
    return false;
  }
  machine.driveC = ResolvePath("c-drive", context);
  for (const auto& [key, value] : document.items()) {
    const Section* section = nullptr;
    for (const auto& candidate : kSections) {
      if (key == candidate.key) section = &candidate;
    }
    if (section == nullptr) {
      *error = "unknown key \"" + key + "\"";
      return false;
    }
    if (!section->load(value, machine, context, error)) return false;
  }
  return true;
}

Json SaveMachineJson(const Json& original, const Machine& machine) {
  Json document = original;
  for (const auto& section : kSections) {
    if (section.save == nullptr) continue;
    Json value;
    section.save(machine, value);
    if (!value.is_null()) document[section.key] = value;
  }
  return document;
}

}  // namespace sim
