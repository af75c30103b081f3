// The "rstControllers" section of the machine file: the RST controllers,
// their NVMe drives with the host metadata they hold, and injected faults.
// The host metadata that runs write is saved back into this section.
#include "sim/models/storage/storage_file.h"

#include "sim/core/text_codec.h"

namespace sim {
namespace {

std::string ElementWhere(const std::string& where, const std::string& key) {
  return where + " hostMetadata \"" + key + "\"";
}

// An element value: text in the ANSI code page, or {"hex": bytes}.
bool LoadElementValue(const Json& value, const std::string& where, std::vector<std::uint8_t>* bytes,
                      std::string* error) {
  if (value.is_string()) {
    const std::string ansi = Utf8ToAnsi(value.get<std::string>());
    bytes->assign(ansi.begin(), ansi.end());
  } else if (!(value.is_object() && value.size() == 1 && value.contains("hex") &&
               value["hex"].is_string() && ParseHex(value["hex"].get<std::string>(), bytes))) {
    *error = where + " must be a text or {\"hex\": bytes}";
    return false;
  }
  if (bytes->size() > kElementValueBytes) {
    *error = where + " is longer than the 122 bytes of an element value";
    return false;
  }
  while (!bytes->empty() && bytes->back() == 0) bytes->pop_back();
  return true;
}

bool LoadElementType(const std::string& key, const std::string& where, int* type, std::string* error) {
  int number = 0;
  for (char c : key) {
    if (c < '0' || c > '9' || number > 100) {
      number = -1;
      break;
    }
    number = number * 10 + (c - '0');
  }
  if (key.empty() || number < 1 || number > 63) {
    *error = where + ": element types are numbers from 1 to 63";
    return false;
  }
  *type = number;
  return true;
}

bool LoadFault(const Json& value, const std::string& where, CommandFault* fault, std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    std::uint32_t number = 0;
    if (key == "fail") {
      if (!ExpectFlag(item, where + " \"fail\"", &fault->fail, error)) return false;
    } else if (key == "dataBytes" || key == "bytesReturned" || key == "returnCode") {
      if (!ExpectNumber(item, where + " \"" + key + "\"", 0xFFFFFFFFu, &number, error)) return false;
      (key == "dataBytes" ? fault->dataBytes : key == "bytesReturned" ? fault->bytesReturned
                                                                     : fault->returnCode) = number;
    } else {
      *error = where + ": unknown key \"" + key + "\"";
      return false;
    }
  }
  return true;
}

// {"all": fault, "7": fault, ...}
bool LoadFaultTable(const Json& value, const std::string& where, std::map<int, CommandFault>* table,
                    std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    int type = 0;
    if (key != "all" && !LoadElementType(key, where, &type, error)) return false;
    if (!LoadFault(item, where + " \"" + key + "\"", &(*table)[type], error)) return false;
  }
  return true;
}

bool LoadFaults(const Json& value, NvmeDrive& drive, const std::string& where, std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where + " \"faults\"", error)) return false;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " faults \"" + key + "\"";
    if (key == "identify") {
      CommandFault fault;
      if (!LoadFault(item, at, &fault, error)) return false;
      drive.identifyFault = fault;
    } else if (key == "getFeatures") {
      if (!LoadFaultTable(item, at, &drive.getFaults, error)) return false;
    } else if (key == "setFeatures") {
      if (!LoadFaultTable(item, at, &drive.setFaults, error)) return false;
    } else {
      *error = where + " faults: unknown key \"" + key + "\"";
      return false;
    }
  }
  return true;
}

bool LoadIdentify(const Json& value, NvmeDrive& drive, const std::string& where, std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where + " \"identify\"", error)) return false;
  for (const auto& [key, item] : value.items()) {
    std::uint32_t number = 0;
    if (key != "byte3108" && key != "byte3109") {
      *error = where + " identify: unknown key \"" + key + "\"";
      return false;
    }
    if (!ExpectNumber(item, where + " identify \"" + key + "\"", 255, &number, error)) return false;
    drive.identify[key == "byte3108" ? 3108 : 3109] = static_cast<std::uint8_t>(number);
  }
  return true;
}

bool LoadDrive(const Json& item, NvmeDrive& drive, const std::string& where, std::string* error) {
  if (!ExpectType(item, Json::value_t::object, where, error)) return false;
  for (const auto& [key, value] : item.items()) {
    std::uint32_t number = 0;
    if (key == "path" || key == "target" || key == "lun") {
      if (!ExpectNumber(value, where + " \"" + key + "\"", 255, &number, error)) return false;
      (key == "path" ? drive.path : key == "target" ? drive.target : drive.lun) =
          static_cast<std::uint8_t>(number);
    } else if (key == "identify") {
      if (!LoadIdentify(value, drive, where, error)) return false;
    } else if (key == "hostMetadata") {
      if (!ExpectType(value, Json::value_t::object, where + " \"hostMetadata\"", error)) return false;
      for (const auto& [typeKey, element] : value.items()) {
        int type = 0;
        const std::string at = ElementWhere(where, typeKey);
        if (!LoadElementType(typeKey, at, &type, error) ||
            !LoadElementValue(element, at, &drive.elements[type], error)) {
          return false;
        }
      }
    } else if (key == "faults") {
      if (!LoadFaults(value, drive, where, error)) return false;
    } else {
      *error = where + ": unknown key \"" + key + "\"";
      return false;
    }
  }
  return true;
}

bool LoadController(const Json& item, RstController& controller, const std::string& where,
                    std::string* error) {
  if (!ExpectType(item, Json::value_t::object, where, error)) return false;
  bool hasPort = false;
  for (const auto& [key, value] : item.items()) {
    std::uint32_t number = 0;
    if (key == "port") {
      if (!ExpectNumber(value, where + " \"port\"", 255, &number, error)) return false;
      controller.port = static_cast<std::uint8_t>(number);
      hasPort = true;
    } else if (key == "passThrough") {
      if (!ExpectFlag(value, where + " \"passThrough\"", &controller.passThrough, error)) return false;
    } else if (key == "heldByOtherProgram") {
      if (!ExpectFlag(value, where + " \"heldByOtherProgram\"", &controller.heldByOtherProgram, error)) {
        return false;
      }
    } else if (key == "drives") {
      if (!ExpectType(value, Json::value_t::array, where + " \"drives\"", error)) return false;
      for (std::size_t i = 0; i < value.size(); ++i) {
        NvmeDrive drive;
        if (!LoadDrive(value[i], drive, where + " drive " + std::to_string(i), error)) return false;
        controller.drives.push_back(std::move(drive));
      }
    } else {
      *error = where + ": unknown key \"" + key + "\"";
      return false;
    }
  }
  if (!hasPort) *error = where + " needs a \"port\"";
  return hasPort;
}

Json ElementJson(const std::vector<std::uint8_t>& bytes) {
  bool text = true;
  for (std::uint8_t b : bytes) {
    if (b == 0) text = false;
  }
  if (text) return AnsiToUtf8(std::string(bytes.begin(), bytes.end()));
  return Json{{"hex", ToHex(bytes)}};
}

}  // namespace

bool LoadRstSection(const Json& section, RstControllers& controllers, std::string* error) {
  if (!ExpectType(section, Json::value_t::array, "\"rstControllers\"", error)) return false;
  for (std::size_t i = 0; i < section.size(); ++i) {
    RstController controller;
    if (!LoadController(section[i], controller, "RST controller " + std::to_string(i), error)) {
      return false;
    }
    controllers.list.push_back(std::move(controller));
  }
  controllers.loadedSection = section.dump();
  return true;
}

void SaveRstSection(const RstControllers& controllers, Json& value) {
  if (controllers.loadedSection.empty()) return;  // nothing loaded, nothing to keep
  value = Json::parse(controllers.loadedSection);
  for (std::size_t i = 0; i < controllers.list.size() && i < value.size(); ++i) {
    const auto& drives = controllers.list[i].drives;
    for (std::size_t j = 0; j < drives.size(); ++j) {
      Json elements = Json::object();
      for (const auto& [type, bytes] : drives[j].elements) {
        elements[std::to_string(type)] = ElementJson(bytes);
      }
      value[i]["drives"][j]["hostMetadata"] = elements;
    }
  }
}

}  // namespace sim
