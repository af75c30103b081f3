// The "wmi" section of the machine file: classes with their rows, and
// failures injected into the steps of a query.
#include "sim/models/wmi/wmi_file.h"

#include <cstdlib>

#include "sim/core/text_codec.h"

namespace sim {
namespace {

bool LoadRow(const Json& item, WmiRow& row, const std::string& where, std::string* error) {
  if (!ExpectType(item, Json::value_t::object, where, error)) return false;
  for (const auto& [name, value] : item.items()) {
    if (value.is_null()) {
      row.properties.emplace_back(Utf8ToUtf16(name), std::nullopt);
    } else if (value.is_string()) {
      row.properties.emplace_back(Utf8ToUtf16(name), Utf8ToUtf16(value.get<std::string>()));
    } else {
      *error = where + " property \"" + name + "\" must be a string or null";
      return false;
    }
  }
  return true;
}

bool LoadClasses(const Json& value, WmiModel& wmi, std::string* error) {
  if (!ExpectType(value, Json::value_t::object, "wmi \"classes\"", error)) return false;
  for (const auto& [name, rows] : value.items()) {
    const std::string where = "wmi class \"" + name + "\"";
    if (!ExpectType(rows, Json::value_t::array, where, error)) return false;
    WmiClass wmiClass;
    wmiClass.name = Utf8ToUtf16(name);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      WmiRow row;
      if (!LoadRow(rows[i], row, where + " row " + std::to_string(i), error)) return false;
      wmiClass.rows.push_back(std::move(row));
    }
    wmi.classes.push_back(std::move(wmiClass));
  }
  return true;
}

bool LoadFault(const Json& item, WmiFault& fault, const std::string& where, std::string* error) {
  static const char* const kSteps[] = {"CoInitializeEx",    "CoInitializeSecurity",
                                       "CoCreateInstance",  "ConnectServer",
                                       "CoSetProxyBlanket", "ExecQuery"};
  if (!ExpectType(item, Json::value_t::object, where, error)) return false;
  fault.result = static_cast<std::int32_t>(0x80004005);  // E_FAIL
  for (const auto& [key, value] : item.items()) {
    if (key == "step" && value.is_string()) {
      fault.step = value.get<std::string>();
    } else if (key == "class" && value.is_string()) {
      fault.className = Utf8ToUtf16(value.get<std::string>());
    } else if (key == "hresult" && value.is_string()) {
      const std::string text = value.get<std::string>();
      char* end = nullptr;
      const unsigned long code = std::strtoul(text.c_str(), &end, 16);
      if (text.rfind("0x", 0) != 0 || *end != 0 || code < 0x80000000ul || code > 0xFFFFFFFFul) {
        *error = where + " \"hresult\" must be a failure code such as \"0x80041003\"";
        return false;
      }
      fault.result = static_cast<std::int32_t>(static_cast<std::uint32_t>(code));
    } else {
      *error = where + ": unknown key \"" + key + "\" or wrong type";
      return false;
    }
  }
  bool known = false;
  for (const char* step : kSteps) known = known || fault.step == step;
  if (!known) *error = where + " \"step\" must name a step of a WMI query";
  return known;
}

}  // namespace

bool LoadWmiSection(const Json& section, WmiModel& wmi, std::string* error) {
  if (!ExpectType(section, Json::value_t::object, "\"wmi\"", error)) return false;
  for (const auto& [key, value] : section.items()) {
    if (key == "classes") {
      if (!LoadClasses(value, wmi, error)) return false;
    } else if (key == "faults") {
      if (!ExpectType(value, Json::value_t::array, "wmi \"faults\"", error)) return false;
      for (std::size_t i = 0; i < value.size(); ++i) {
        WmiFault fault;
        if (!LoadFault(value[i], fault, "wmi fault " + std::to_string(i), error)) return false;
        wmi.faults.push_back(std::move(fault));
      }
    } else {
      *error = "wmi: unknown key \"" + key + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace sim
