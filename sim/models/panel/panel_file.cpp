#include "sim/models/panel/panel_file.h"

#include <utility>

#include "sim/core/text_codec.h"

namespace sim {
namespace {

constexpr std::uint32_t kRomLimit = 0x1000000;  // the MCU addresses 24 bits

bool Byte(const Json& value, const std::string& where, std::uint8_t* out, std::string* error) {
  std::uint32_t number = 0;
  if (!ExpectNumberOrHex(value, where, 0xFF, &number, error)) return false;
  *out = static_cast<std::uint8_t>(number);
  return true;
}

// {"0x0201": "61", ...}: bytes from each address on, below limit.
bool ByteMap(const Json& value, const std::string& where, std::uint32_t limit,
             std::vector<std::pair<std::uint32_t, std::uint8_t>>* bytes, std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    std::uint32_t address = 0;
    std::vector<std::uint8_t> data;
    if (!ExpectNumberOrHex(Json(key), at, limit - 1, &address, error)) return false;
    if (!item.is_string() || !ParseHex(item.get<std::string>(), &data) ||
        data.size() > limit - address) {
      *error = at + " must be hexadecimal bytes that end below " + HexNumber(limit);
      return false;
    }
    for (std::size_t i = 0; i < data.size(); ++i) bytes->emplace_back(address + i, data[i]);
  }
  return true;
}

bool LoadDevice(const Json& value, const std::string& where, panel::RegisterDevice& device,
                std::string* error) {
  if (!Byte(value.value("address", Json(device.address)), where + " \"address\"", &device.address,
            error)) {
    return false;
  }
  if (value.contains("silent") &&
      !ExpectFlag(value["silent"], where + " \"silent\"", &device.silent, error)) {
    return false;
  }
  if (value.contains("registers")) {
    std::vector<std::pair<std::uint32_t, std::uint8_t>> bytes;
    if (!ByteMap(value["registers"], where + " registers", 0x10000, &bytes, error)) return false;
    for (const auto& [address, byte] : bytes)
      device.registers[static_cast<std::uint16_t>(address)] = byte;
  }
  return true;
}

bool LoadTcon(const Json& value, panel::Panel& panel, std::string* error) {
  const std::string where = "panel tcon";
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    if (key != "address" && key != "silent" && key != "registers")
      return UnknownKey(where, key, error);
  }
  if (!LoadDevice(value, where, panel.tcon, error)) return false;
  // The TCON names its own address in 7-bit form unless the file says otherwise.
  if (!value.contains("registers") || !value["registers"].contains("0x0201")) {
    panel.tcon.registers[0x0201] = panel.tcon.address >> 1;
  }
  return true;
}

bool LoadMcu(const Json& value, panel::Mcu& mcu, std::string* error) {
  const std::string where = "panel mcu";
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    std::uint32_t number = 0;
    if (key == "address" || key == "silent" || key == "registers") continue;
    if (key == "checksumMilliseconds") {
      if (!ExpectNumber(item, at, 3600000, &number, error)) return false;
      mcu.checksumMicroseconds = number * 1000;
    } else if (key == "neverDone") {
      if (!ExpectFlag(item, at, &mcu.neverDone, error)) return false;
    } else if (key == "wrongEcho") {
      if (!ExpectFlag(item, at, &mcu.wrongEcho, error)) return false;
    } else if (key == "setUpStatus") {
      if (!Byte(item, at, &mcu.setUpStatus, error)) return false;
    } else if (key == "actionStatus") {
      std::uint8_t status = 0;
      if (!Byte(item, at, &status, error)) return false;
      mcu.actionStatus = status;
    } else {
      return UnknownKey(where, key, error);
    }
  }
  return LoadDevice(value, where, mcu.device, error);
}

bool LoadRom(const Json& value, std::vector<std::uint8_t>& rom, std::string* error) {
  const std::string where = "panel rom";
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  std::uint32_t size = 0x10000;
  std::uint8_t fill = 0xFF;
  for (const auto& [key, item] : value.items()) {
    if (key == "size") {
      if (!ExpectNumberOrHex(item, where + " \"size\"", kRomLimit, &size, error)) return false;
    } else if (key == "fill") {
      if (!Byte(item, where + " \"fill\"", &fill, error)) return false;
    } else if (key != "bytes") {
      return UnknownKey(where, key, error);
    }
  }
  rom.assign(size, fill);
  if (!value.contains("bytes")) return true;
  std::vector<std::pair<std::uint32_t, std::uint8_t>> bytes;
  if (!ByteMap(value["bytes"], where + " bytes", size == 0 ? 1 : size, &bytes, error)) return false;
  for (const auto& [address, byte] : bytes) {
    if (address >= size) {
      *error = where + " bytes must lie inside the ROM's size";
      return false;
    }
    rom[address] = byte;
  }
  return true;
}

bool LoadFaults(const Json& value, std::vector<panel::AuxFault>& faults, std::string* error) {
  const std::string where = "panel auxFaults";
  if (!ExpectType(value, Json::value_t::array, where, error)) return false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const std::string at = where + " " + std::to_string(i);
    const Json& item = value[i];
    if (!ExpectType(item, Json::value_t::object, at, error)) return false;
    panel::AuxFault fault;
    std::uint32_t number = 0;
    for (const auto& [key, field] : item.items()) {
      if (key == "at" || key == "times") {
        if (!ExpectNumber(field, at + " \"" + key + "\"", 0xFFFFFFFFu, &number, error))
          return false;
        (key == "at" ? fault.at : fault.times) = number;
      } else if (key == "reply" && field.is_string() && (field == "nack" || field == "defer")) {
        fault.reply = field == "nack" ? panel::AuxReply::Nack : panel::AuxReply::Defer;
      } else if (key == "reply") {
        *error = at + " \"reply\" must be \"nack\" or \"defer\"";
        return false;
      } else {
        return UnknownKey(at, key, error);
      }
    }
    faults.push_back(fault);
  }
  return true;
}

}  // namespace

bool LoadPanelSection(const Json& value, panel::Panel& panel, std::string* error) {
  if (!ExpectType(value, Json::value_t::object, "\"panel\"", error)) return false;
  for (const auto& [key, item] : value.items()) {
    bool ok = true;
    if (key == "dpcd") {
      std::vector<std::pair<std::uint32_t, std::uint8_t>> bytes;
      ok = ByteMap(item, "panel dpcd", panel::kDpcdLimit, &bytes, error);
      for (const auto& [address, byte] : bytes) panel.dpcd[address] = byte;
    } else if (key == "tcon") {
      ok = LoadTcon(item, panel, error);
    } else if (key == "mcu") {
      ok = LoadMcu(item, panel.mcu, error);
    } else if (key == "rom") {
      ok = LoadRom(item, panel.rom, error);
    } else if (key == "auxFaults") {
      ok = LoadFaults(item, panel.faults, error);
    } else {
      return UnknownKey("panel", key, error);
    }
    if (!ok) return false;
  }
  return true;
}

}  // namespace sim
