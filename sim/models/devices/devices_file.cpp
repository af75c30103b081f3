// The "devices" section of the machine file.
#include "sim/models/devices/devices_file.h"

#include "sim/core/text_codec.h"

namespace sim {

bool LoadDevicesSection(const Json& section, std::vector<Device>& devices, std::string* error) {
  if (!ExpectType(section, Json::value_t::array, "\"devices\"", error)) return false;
  for (const auto& item : section) {
    Device device;
    if (item.is_string()) {
      device.name = Utf8ToUtf16(item.get<std::string>());
    } else if (item.is_object()) {
      for (const auto& [key, value] : item.items()) {
        if (key == "name" && value.is_string()) {
          device.name = Utf8ToUtf16(value.get<std::string>());
        } else if (key == "readWrite" && value.is_boolean()) {
          device.readWrite = value.get<bool>();
        } else {
          *error = "device key \"" + key + "\" is unknown or of the wrong type";
          return false;
        }
      }
    } else {
      *error = "a device must be a name or {\"name\", \"readWrite\"}";
      return false;
    }
    if (device.name.empty()) {
      *error = "a device needs a name";
      return false;
    }
    devices.push_back(device);
  }
  return true;
}

}  // namespace sim
