#include "sim/models/gpu/intel/cui_file.h"

#include "sim/core/text_codec.h"

namespace sim {
namespace {

bool LoadDevice(const Json& value, const std::string& where, intel::AttachedDevice& device,
                std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    if (key == "id") {
      if (!ExpectNumberOrHex(item, at, 0xFFFFFFFFu, &device.id, error)) return false;
    } else if (key == "type") {
      if (!ExpectNumber(item, at, 0xFFFFFFFFu, &device.type, error)) return false;
    } else if (key == "status") {
      if (!ExpectNumber(item, at, 0xFFFFFFFFu, &device.status, error)) return false;
    } else if (key == "panel") {
      if (!ExpectType(item, Json::value_t::boolean, at, error)) return false;
      device.reachesPanel = item.get<bool>();
    } else {
      return UnknownKey(where, key, error);
    }
  }
  return true;
}

bool LoadDisplay(const Json& value, const std::string& where, intel::Display& display,
                 std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    if (key == "name") {
      if (!ExpectType(item, Json::value_t::string, where + " \"name\"", error)) return false;
      display.name = Utf8ToUtf16(item.get<std::string>());
    } else if (key == "devices") {
      if (!ExpectType(item, Json::value_t::array, where + " \"devices\"", error)) return false;
      for (std::size_t i = 0; i < item.size(); ++i) {
        intel::AttachedDevice device;
        if (!LoadDevice(item[i], where + " device " + std::to_string(i), device, error))
          return false;
        display.devices.push_back(device);
      }
    } else {
      return UnknownKey(where, key, error);
    }
  }
  return true;
}

bool LoadFault(const Json& value, const std::string& where, intel::DriverFault& fault,
               std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    std::uint32_t number = 0;
    if (key != "at" && key != "times" && key != "error" && key != "byteCount")
      return UnknownKey(where, key, error);
    if (!ExpectNumber(item, at, 0xFFFFFFFFu, &number, error)) return false;
    if (key == "at")
      fault.at = number;
    else if (key == "times")
      fault.times = number;
    else if (key == "error")
      fault.error = number;
    else
      fault.byteCount = number;
  }
  return true;
}

}  // namespace

bool LoadIntelGpuSection(const Json& value, std::optional<intel::Cui>& gpu, std::string* error) {
  const std::string where = "intelGpu";
  if (!ExpectType(value, Json::value_t::object, "\"intelGpu\"", error)) return false;
  intel::Cui cui;
  for (const auto& [key, item] : value.items()) {
    if (key == "displays") {
      if (!ExpectType(item, Json::value_t::array, where + " \"displays\"", error)) return false;
      for (std::size_t i = 0; i < item.size(); ++i) {
        intel::Display display;
        if (!LoadDisplay(item[i], where + " display " + std::to_string(i), display, error))
          return false;
        cui.displays.push_back(std::move(display));
      }
    } else if (key == "powerFeatures") {
      if (!ExpectNumberOrHex(item, where + " \"powerFeatures\"", 0xFFFFFFFFu, &cui.powerFeatures,
                             error)) {
        return false;
      }
    } else if (key == "faults") {
      if (!ExpectType(item, Json::value_t::array, where + " \"faults\"", error)) return false;
      for (std::size_t i = 0; i < item.size(); ++i) {
        intel::DriverFault fault;
        if (!LoadFault(item[i], where + " fault " + std::to_string(i), fault, error)) return false;
        cui.faults.push_back(fault);
      }
    } else {
      return UnknownKey(where, key, error);
    }
  }
  gpu = std::move(cui);
  return true;
}

}  // namespace sim
