#include "sim/core/machine_file.h"

#include <cstdio>

#include "sim/core/text_codec.h"

namespace sim {
namespace {

const char* TypeName(Json::value_t type) {
  switch (type) {
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "an array";
    case Json::value_t::string: return "a string";
    case Json::value_t::boolean: return "true or false";
    case Json::value_t::number_unsigned:
    case Json::value_t::number_integer: return "a whole number";
    default: return "another type";
  }
}

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

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool LoadComment(const Json&, Machine&, const LoadContext&, std::string*) { return true; }

const Section kSections[] = {
    {"comment", LoadComment, nullptr},
    {"windows", LoadWindows, nullptr},
    {"isWow64Process", LoadWow64Api, nullptr},
    {"administrator", LoadAdministrator, nullptr},
    {"localTime", LoadLocalTime, nullptr},
    {"parentConsole", LoadParentConsole, nullptr},
    {"driveC", LoadDriveC, nullptr},
    {"trace", LoadTrace, nullptr},
    {"registry", LoadRegistrySection, SaveRegistrySection},
    {"devices", LoadDevicesSection, nullptr},
    {"installer", LoadInstallerSection, nullptr},
    {"disks", LoadDisksSection, nullptr},
    {"diskListError", LoadDiskListErrorSection, nullptr},
    {"rstControllers", LoadRstSection, SaveRstSection},
    {"wmi", LoadWmiSection, nullptr},
    {"panel", LoadPanelSection, nullptr},
    {"intelGpu", LoadIntelGpuSection, nullptr},
    {"clock", LoadClockSection, nullptr},
    {"power", LoadPowerSection, nullptr},
};

}  // namespace

bool ExpectType(const Json& value, Json::value_t type, const std::string& where, std::string* error) {
  const bool match = value.type() == type ||
                     (type == Json::value_t::number_integer && value.is_number_integer());
  if (!match) *error = where + " must be " + TypeName(type);
  return match;
}

bool ExpectNumber(const Json& value, const std::string& where, std::uint32_t limit,
                  std::uint32_t* out, std::string* error) {
  if (!value.is_number_integer() || value.get<long long>() < 0 ||
      value.get<unsigned long long>() > limit) {
    *error = where + " must be a whole number from 0 to " + std::to_string(limit);
    return false;
  }
  *out = value.get<std::uint32_t>();
  return true;
}

bool ExpectNumberOrHex(const Json& value, const std::string& where, std::uint32_t limit,
                       std::uint32_t* out, std::string* error) {
  if (!value.is_string()) return ExpectNumber(value, where, limit, out, error);
  const std::string text = value.get<std::string>();
  unsigned long long number = 0;
  bool valid = text.size() > 2 && text.size() <= 10 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  for (std::size_t i = 2; valid && i < text.size(); ++i) {
    const char c = text[i];
    const int digit = HexDigit(c);
    valid = digit >= 0;
    number = number * 16 + static_cast<unsigned>(digit);
  }
  if (!valid || number > limit) {
    *error = where + " must be a whole number from 0 to " + std::to_string(limit) + ", or 0x and hexadecimal digits";
    return false;
  }
  *out = static_cast<std::uint32_t>(number);
  return true;
}

bool ParseHex(const std::string& hex, std::vector<std::uint8_t>* bytes) {
  std::string compact;
  for (char c : hex) {
    if (c != ' ') compact += c;
  }
  if (compact.size() % 2 != 0) return false;
  bytes->clear();
  for (std::size_t i = 0; i < compact.size(); i += 2) {
    const int hi = HexDigit(compact[i]), lo = HexDigit(compact[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes->push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return true;
}

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
