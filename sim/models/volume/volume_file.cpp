#include "sim/models/volume/volume_file.h"

namespace sim {

bool LoadVolumeSection(const Json& value, FreeSpace& volume, std::string* error) {
  if (!ExpectType(value, Json::value_t::object, "\"volume\"", error)) return false;
  for (const auto& [key, field] : value.items()) {
    if (key == "freeBytes") {
      if (!field.is_number_unsigned()) {
        *error = "\"volume\".\"freeBytes\" must be a whole number from 0";
        return false;
      }
      volume.bytes = field.get<std::uint64_t>();
    } else if (key == "whenFull") {
      const std::string text = field.is_string() ? field.get<std::string>() : "";
      if (text != "fail" && text != "kill") {
        *error = "\"volume\".\"whenFull\" must be \"fail\" or \"kill\"";
        return false;
      }
      volume.whenFull = text == "kill" ? WhenFull::Kill : WhenFull::Fail;
    } else {
      *error = "unknown key \"volume\".\"" + key + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace sim
