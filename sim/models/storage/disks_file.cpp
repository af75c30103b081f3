// The "disks" and "diskListError" sections of the machine file.
#include "sim/models/storage/storage_file.h"

#include "common/utf16le.h"
#include "sim/core/text_codec.h"

namespace sim {
namespace {

bool LoadEnumerator(const Json& value, Disk& disk, const std::string& where, std::string* error) {
  if (value.is_null()) return true;  // the property cannot be read
  if (value.is_string()) {
    // A REG_SZ as SetupAPI stores it: the text and its terminator.
    disk.enumeratorName = common::Utf16LeBytes(Utf8ToUtf16(value.get<std::string>()), true);
    return true;
  }
  std::vector<std::uint8_t> bytes;
  if (value.is_object() && value.size() == 1 && value.contains("hex") && value["hex"].is_string() &&
      ParseHex(value["hex"].get<std::string>(), &bytes)) {
    disk.enumeratorName = bytes;
    return true;
  }
  *error = where + " \"enumerator\" must be a name, null or {\"hex\": bytes}";
  return false;
}

bool LoadAddress(const Json& value, ScsiAddress& address, const std::string& where,
                 std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where + " \"scsiAddress\"", error)) return false;
  for (const auto& [key, item] : value.items()) {
    std::uint32_t number = 0;
    if (!ExpectNumber(item, where + " scsiAddress \"" + key + "\"", 255, &number, error)) return false;
    if (key == "port") address.port = static_cast<std::uint8_t>(number);
    else if (key == "path") address.path = static_cast<std::uint8_t>(number);
    else if (key == "target") address.target = static_cast<std::uint8_t>(number);
    else if (key == "lun") address.lun = static_cast<std::uint8_t>(number);
    else {
      *error = where + " scsiAddress: unknown key \"" + key + "\"";
      return false;
    }
  }
  return true;
}

bool LoadDisk(const Json& item, Disk& disk, const std::string& where, std::string* error) {
  if (!ExpectType(item, Json::value_t::object, where, error)) return false;
  bool hasPath = false;
  for (const auto& [key, value] : item.items()) {
    std::uint32_t number = 0;
    if (key == "path") {
      if (!ExpectType(value, Json::value_t::string, where + " \"path\"", error)) return false;
      disk.interfacePath = Utf8ToUtf16(value.get<std::string>());
      hasPath = !disk.interfacePath.empty();
    } else if (key == "enumerator") {
      if (!LoadEnumerator(value, disk, where, error)) return false;
    } else if (key == "enumeratorRefusals") {
      if (!ExpectNumber(value, where + " \"" + key + "\"", 1000, &number, error)) return false;
      disk.enumeratorRefusals = static_cast<int>(number);
    } else if (key == "enumeratorReportedSize") {
      if (!ExpectNumber(value, where + " \"" + key + "\"", 0xFFFFFFFFu, &number, error)) return false;
      disk.enumeratorReported = number;
    } else if (key == "readWrite") {
      if (!ExpectType(value, Json::value_t::boolean, where + " \"readWrite\"", error)) return false;
      disk.readWrite = value.get<bool>();
    } else if (key == "scsiAddress") {
      ScsiAddress address;
      if (!LoadAddress(value, address, where, error)) return false;
      disk.scsiAddress = address;
    } else if (key == "interfaceError" || key == "detailError") {
      if (!ExpectNumber(value, where + " \"" + key + "\"", 0xFFFFFFFFu, &number, error)) return false;
      (key == "interfaceError" ? disk.interfaceError : disk.detailError) = number;
    } else {
      *error = where + ": unknown key \"" + key + "\"";
      return false;
    }
  }
  if (!hasPath) *error = where + " needs a \"path\"";
  return hasPath;
}

}  // namespace

bool LoadDisksSection(const Json& section, DiskList& diskList, std::string* error) {
  if (!ExpectType(section, Json::value_t::array, "\"disks\"", error)) return false;
  for (std::size_t i = 0; i < section.size(); ++i) {
    Disk disk;
    if (!LoadDisk(section[i], disk, "disk " + std::to_string(i), error)) return false;
    diskList.disks.push_back(std::move(disk));
  }
  return true;
}

bool LoadDiskListErrorSection(const Json& section, DiskList& diskList, std::string* error) {
  std::uint32_t code = 0;
  if (!ExpectNumber(section, "\"diskListError\"", 0xFFFFFFFFu, &code, error)) return false;
  diskList.classDevsError = code;
  return true;
}

}  // namespace sim
