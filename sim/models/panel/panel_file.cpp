#include "sim/models/panel/panel_file.h"

#include <algorithm>
#include <optional>
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

// The signature the TCON's firmware tools look for in an EEPROM.
constexpr std::uint8_t kEepromSignature[] = {0x2D, 0x5A, 0x5A, 0x5A};

bool LoadEeprom(const Json& value, std::optional<panel::Eeprom>& eeprom, std::string* error) {
  const std::string where = "panel eeprom";
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  panel::Eeprom loaded;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    if (key == "address") {
      if (!Byte(item, at, &loaded.address, error)) return false;
    } else if (key == "silent") {
      if (!ExpectFlag(item, at, &loaded.silent, error)) return false;
    } else if (key == "bytes") {
      std::vector<std::pair<std::uint32_t, std::uint8_t>> bytes;
      if (!ByteMap(item, where + " bytes", panel::kEepromBytes, &bytes, error)) return false;
      for (const auto& [address, byte] : bytes) loaded.bytes[address] = byte;
    } else if (key != "signatureAt") {
      return UnknownKey(where, key, error);
    }
  }
  // The signatures go in last, over the bytes.
  if (value.contains("signatureAt")) {
    const Json& list = value["signatureAt"];
    if (!ExpectType(list, Json::value_t::array, where + " \"signatureAt\"", error)) return false;
    for (const Json& item : list) {
      std::uint32_t address = 0;
      if (!ExpectNumberOrHex(item, where + " \"signatureAt\"", panel::kEepromBytes - sizeof kEepromSignature,
                             &address, error)) {
        return false;
      }
      for (std::uint8_t byte : kEepromSignature) loaded.bytes[address++] = byte;
    }
  }
  eeprom = std::move(loaded);
  return true;
}

// Where the flash's probe block and version record go; placed into the ROM
// once the whole section is read, so that the ROM's own keys come first.
struct FlashPlan {
  panel::Flash flash;
  std::vector<std::uint8_t> probeBlock;
  std::optional<std::uint32_t> versionRecordAt;
  std::uint32_t modelId = 0x2310;
};

// A probe block that the tools take for flash: bytes 0 to 126 do not add up
// to a multiple of 256, and byte 127 makes the whole sum one.
std::vector<std::uint8_t> SignedProbeBlock() {
  std::vector<std::uint8_t> block(panel::kProbeBlockBytes);
  unsigned sum = 0;
  for (unsigned i = 0; i + 1 < block.size(); ++i) {
    block[i] = static_cast<std::uint8_t>(0x31 + 7 * i);
    sum += block[i];
  }
  block.back() = static_cast<std::uint8_t>(256 - sum % 256);
  return block;
}

// The version record: 55 AA 66 99 "VERS", then the model id, high byte first.
std::vector<std::uint8_t> VersionRecord(std::uint32_t modelId) {
  return {0x55, 0xAA, 0x66, 0x99, 'V', 'E', 'R', 'S', static_cast<std::uint8_t>(modelId >> 8),
          static_cast<std::uint8_t>(modelId)};
}

bool LoadFlash(const Json& value, FlashPlan* plan, std::string* error) {
  const std::string where = "panel flash";
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  plan->probeBlock = SignedProbeBlock();
  bool recordPlaced = false;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    std::uint32_t number = 0;
    if (key == "programAddress") {
      if (!ExpectNumberOrHex(item, at, kRomLimit - 1, &plan->flash.programAddress, error)) return false;
    } else if (key == "probeBlock") {
      if (!item.is_string() || !ParseHex(item.get<std::string>(), &plan->probeBlock) ||
          plan->probeBlock.size() != panel::kProbeBlockBytes) {
        *error = at + " must be 128 hexadecimal bytes";
        return false;
      }
    } else if (key == "versionRecordAt") {
      recordPlaced = true;
      if (item.is_null()) continue;
      if (!ExpectNumberOrHex(item, at, kRomLimit - 10, &number, error)) return false;
      plan->versionRecordAt = number;
    } else if (key == "modelId") {
      if (!ExpectNumberOrHex(item, at, 0xFFFF, &plan->modelId, error)) return false;
    } else {
      return UnknownKey(where, key, error);
    }
  }
  if (!recordPlaced) plan->versionRecordAt = plan->flash.programAddress + 0x0F00;
  return true;
}

bool PlaceInRom(std::vector<std::uint8_t>& rom, std::uint64_t at, const std::vector<std::uint8_t>& bytes,
                const char* what, std::string* error) {
  if (at + bytes.size() > rom.size()) {
    *error = std::string("panel flash: the ") + what + " must lie inside the ROM's size";
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), rom.begin() + static_cast<std::ptrdiff_t>(at));
  return true;
}

bool PlaceFlash(const FlashPlan& plan, panel::Panel& panel, std::string* error) {
  if (panel.rom.empty()) panel.rom.assign(0x10000, 0xFF);
  const std::uint64_t probeAt = std::uint64_t{plan.flash.programAddress} + panel::kMcuProbeBlock;
  if (!PlaceInRom(panel.rom, probeAt, plan.probeBlock, "probe block", error)) return false;
  if (plan.versionRecordAt &&
      !PlaceInRom(panel.rom, *plan.versionRecordAt, VersionRecord(plan.modelId), "version record", error)) {
    return false;
  }
  panel.flash = plan.flash;
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
  std::optional<FlashPlan> flash;
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
    } else if (key == "eeprom") {
      ok = LoadEeprom(item, panel.eeprom, error);
    } else if (key == "flash") {
      flash.emplace();
      ok = LoadFlash(item, &*flash, error);
    } else {
      return UnknownKey("panel", key, error);
    }
    if (!ok) return false;
  }
  return !flash || PlaceFlash(*flash, panel, error);
}

}  // namespace sim
