#include "sim/models/panel/panel.h"

namespace sim::panel {
namespace {

RegisterDevice* DeviceOf(Panel& panel, Device which) {
  switch (which) {
    case Device::Tcon:
      return &panel.tcon;
    case Device::Mcu:
      return &panel.mcu.device;
    default:
      return nullptr;
  }
}

// The TCON and the MCU answer before an EEPROM block at the same address.
Device FindDevice(const Panel& panel, std::uint32_t address7) {
  if (panel.tcon.address >> 1 == address7) return Device::Tcon;
  if (panel.mcu.device.address >> 1 == address7) return Device::Mcu;
  if (panel.eeprom && address7 - (panel.eeprom->address >> 1) < 8) return Device::Eeprom;
  return Device::None;
}

std::optional<AuxReply> TakeFault(const Panel& panel) {
  const AuxFault* fault = FaultOn(panel.faults, panel.transactions);
  if (fault == nullptr) return std::nullopt;
  return fault->reply;
}

void Publish(Panel& panel, std::uint16_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    const int shift = 8 * (bytes - 1 - i);
    panel.tcon.registers[static_cast<std::uint16_t>(at + i)] =
        static_cast<std::uint8_t>(value >> shift);
  }
}

void PublishStatus(Panel& panel, std::uint8_t status) {
  if (panel.mcu.statusRegister) Publish(panel, *panel.mcu.statusRegister, status, 1);
}

std::uint32_t Be24(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) << 16 | static_cast<std::uint32_t>(bytes[1]) << 8 |
         bytes[2];
}

// A command written to the MCU, acted on when its I2C write ends.
void McuCommand(Panel& panel, std::uint16_t reg, const std::vector<std::uint8_t>& data,
                std::uint64_t now) {
  Mcu& mcu = panel.mcu;
  // The flash window works without the connection.
  if (reg == kMcuFlashWindow && data.size() == 2) {
    mcu.flashWindow = data[0] == 0x00 && (data[1] == 0x80 || data[1] == 0x70);
    return;
  }
  if (reg == kMcuConnect && data.size() == 1 && data[0] == 0x01) {
    mcu.connected = true;
    return;
  }
  if (!mcu.connected) return;
  if ((reg == kMcuStatusAddress || reg == kMcuResultAddress) && data.size() == 2) {
    const auto address = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
    (reg == kMcuStatusAddress ? mcu.statusRegister : mcu.resultRegister) = address;
    PublishStatus(panel, mcu.setUpStatus);
  } else if (reg == kMcuEcho && data.size() == 3 && mcu.resultRegister) {
    std::uint32_t echo = Be24(data.data());
    if (mcu.wrongEcho) echo ^= 0xFF;
    Publish(panel, *mcu.resultRegister, echo, 3);
  } else if (reg == kMcuAction && data.size() == 6 && mcu.statusRegister && mcu.resultRegister) {
    mcu.running = true;
    mcu.actionStart = Be24(data.data());
    mcu.actionLength = Be24(data.data() + 3);
    mcu.doneAt = now + mcu.checksumMicroseconds;
    PublishStatus(panel, mcu.actionStatus.value_or(kChecksumAction & 0x0F));
  }
}

// Publishes the checksum once the action's time has passed.
void AdvanceMcu(Panel& panel, std::uint64_t now) {
  Mcu& mcu = panel.mcu;
  if (!mcu.running || mcu.neverDone || now < mcu.doneAt) return;
  mcu.running = false;
  Publish(panel, *mcu.resultRegister, RomChecksum(panel.rom, mcu.actionStart, mcu.actionLength), 3);
  PublishStatus(panel, mcu.actionStatus.value_or(kChecksumAction | kActionDone));
}

// The end of a write phase (stop or repeated start) completes its command.
void EndWrite(Panel& panel, std::uint64_t now) {
  OpenI2c& open = panel.open;
  if (open.device == Device::Mcu && !open.reading && open.pointerBytes == 2 &&
      !open.written.empty()) {
    McuCommand(panel, open.firstRegister, open.written, now);
  }
  open.pointerBytes = 0;
  open.written.clear();
}

void Stop(Panel& panel, std::uint64_t now) {
  if (panel.open.device != Device::None) EndWrite(panel, now);
  panel.open = OpenI2c{};
}

void WriteByte(Panel& panel, RegisterDevice& device, std::uint8_t byte) {
  OpenI2c& open = panel.open;
  if (open.pointerBytes < 2) {
    device.pointer = open.pointerBytes == 0 ? static_cast<std::uint16_t>(byte << 8)
                                            : static_cast<std::uint16_t>(device.pointer | byte);
    if (++open.pointerBytes == 2) open.firstRegister = device.pointer;
    return;
  }
  device.registers[device.pointer++] = byte;
  open.written.push_back(byte);
}

std::uint8_t ReadByte(RegisterDevice& device) {
  const auto found = device.registers.find(device.pointer++);
  return found == device.registers.end() ? 0 : found->second;
}

std::uint8_t RomByte(const Panel& panel, std::uint64_t at) {
  return at < panel.rom.size() ? panel.rom[at] : 0xFF;
}

// On a flash panel the MCU shows its program's start at 0x0500, and the
// flash itself while its window is open.
std::uint8_t ReadMcuByte(Panel& panel) {
  RegisterDevice& device = panel.mcu.device;
  const std::uint16_t at = device.pointer;
  if (panel.flash && panel.mcu.flashWindow) {
    ++device.pointer;
    return RomByte(panel, at);
  }
  if (panel.flash && at >= kMcuProbeBlock && at < kMcuProbeBlock + kProbeBlockBytes) {
    ++device.pointer;
    return RomByte(panel, std::uint64_t{panel.flash->programAddress} + at);
  }
  // The MCU sits inside the TCON and names the TCON's address as the TCON does.
  if (at == kTconOwnAddress && device.registers.count(at) == 0) {
    ++device.pointer;
    const auto found = panel.tcon.registers.find(kTconOwnAddress);
    return found == panel.tcon.registers.end() ? 0 : found->second;
  }
  return ReadByte(device);
}

// A byte of the EEPROM: the first byte written after the address is the
// pointer inside the block the address chose.
void EepromTransfer(Panel& panel, const AuxRequest& request, bool reading, AuxAnswer& answer) {
  Eeprom& eeprom = *panel.eeprom;
  for (unsigned i = 0; i < request.length; ++i) {
    if (reading) {
      answer.data[i] = eeprom.bytes[eeprom.pointer];
    } else if (panel.open.pointerBytes == 0) {
      eeprom.pointer = static_cast<std::uint16_t>(panel.open.eepromBlock * 256 + request.data[i]);
      panel.open.pointerBytes = 1;
      continue;
    } else {
      eeprom.bytes[eeprom.pointer] = request.data[i];
    }
    eeprom.pointer = static_cast<std::uint16_t>((eeprom.pointer + 1) % kEepromBytes);
  }
}

AuxAnswer Native(Panel& panel, const AuxRequest& request) {
  AuxAnswer answer;
  if (request.length == 0 || request.address >= kDpcdLimit ||
      kDpcdLimit - request.address < request.length) {
    answer.reply = AuxReply::Nack;
    return answer;
  }
  for (unsigned i = 0; i < request.length; ++i) {
    if (IsRead(request.command)) {
      const auto found = panel.dpcd.find(request.address + i);
      answer.data[i] = found == panel.dpcd.end() ? 0 : found->second;
    } else {
      panel.dpcd[request.address + i] = request.data[i];
    }
  }
  answer.count = request.length;
  return answer;
}

AuxAnswer I2c(Panel& panel, const AuxRequest& request, std::uint64_t now) {
  AuxAnswer answer;
  const bool reading = IsRead(request.command);
  const Device target = FindDevice(panel, request.address);
  OpenI2c& open = panel.open;
  const std::uint8_t block = static_cast<std::uint8_t>(request.address & 0x7);
  if (open.device != Device::None &&
      (open.device != target || (target == Device::Eeprom && open.eepromBlock != block))) {
    Stop(panel, now);
  }
  RegisterDevice* device = DeviceOf(panel, target);
  const bool silent = target == Device::Eeprom ? panel.eeprom->silent : device == nullptr || device->silent;
  if (silent) {
    Stop(panel, now);
    answer.reply = AuxReply::Nack;
    return answer;
  }
  if (open.device == Device::None) {
    open.device = target;  // start condition with the address
    open.reading = reading;
    open.eepromBlock = block;
  } else if (open.reading != reading) {
    EndWrite(panel, now);  // repeated start in the other direction
    open.reading = reading;
  }
  if ((request.command & 0x3) != kI2cWriteStatus) {
    if (target == Device::Eeprom) {
      EepromTransfer(panel, request, reading, answer);
    } else {
      for (unsigned i = 0; i < request.length; ++i) {
        if (reading)
          answer.data[i] = target == Device::Mcu ? ReadMcuByte(panel) : ReadByte(*device);
        else
          WriteByte(panel, *device, request.data[i]);
      }
    }
    answer.count = request.length;
  }
  if (!HasMot(request.command)) Stop(panel, now);
  return answer;
}

}  // namespace

AuxAnswer Transact(Panel& panel, const AuxRequest& request, std::uint64_t now) {
  ++panel.transactions;
  AdvanceMcu(panel, now);
  if (const auto fault = TakeFault(panel)) {
    if (*fault == AuxReply::Nack && !IsNative(request.command)) Stop(panel, now);
    AuxAnswer answer;
    answer.reply = *fault;
    return answer;
  }
  if (request.length > kAuxMaxData) {
    AuxAnswer answer;
    answer.reply = AuxReply::Nack;  // the request's length field cannot say more
    return answer;
  }
  return IsNative(request.command) ? Native(panel, request) : I2c(panel, request, now);
}

AuxAnswer TransactWithoutPanel(const AuxRequest& request) {
  AuxAnswer answer;
  if (!IsNative(request.command) || request.length == 0 || request.length > kAuxMaxData ||
      request.address >= kDpcdLimit || kDpcdLimit - request.address < request.length) {
    answer.reply = AuxReply::Nack;
    return answer;
  }
  answer.count = request.length;  // reads answer zeros
  return answer;
}

std::uint32_t RomChecksum(const std::vector<std::uint8_t>& rom, std::uint32_t start,
                          std::uint32_t length) {
  std::uint32_t sum = 0;
  for (std::uint32_t i = 0; i < length; ++i) {
    const std::uint64_t at = static_cast<std::uint64_t>(start) + i;
    sum += at < rom.size() ? rom[at] : 0xFF;
  }
  return sum & 0xFFFFFF;
}

}  // namespace sim::panel
