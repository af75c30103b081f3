#include "sim/models/gpu/intel/cui.h"

#include <cstring>

namespace sim::intel {
namespace {

std::uint32_t Word(const std::uint8_t* record, std::size_t offset) {
  return static_cast<std::uint32_t>(record[offset]) |
         static_cast<std::uint32_t>(record[offset + 1]) << 8 |
         static_cast<std::uint32_t>(record[offset + 2]) << 16 |
         static_cast<std::uint32_t>(record[offset + 3]) << 24;
}

void PutWord(std::uint8_t* record, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

const AttachedDevice* FindAttached(const Cui& cui, std::uint32_t id) {
  for (const Display& display : cui.displays) {
    for (const AttachedDevice& device : display.devices) {
      if (device.id == id) return &device;
    }
  }
  return nullptr;
}

bool IsGetCode(std::uint32_t code) { return code == 1 || code == 5 || code == 9; }
bool IsSetCode(std::uint32_t code) {
  return code == 0 || code == 2 || code == 4 || code == 6 || code == 8;
}

// Record: device id, request code, byte count, address, 16 data bytes.
BlockAnswer Aux(Cui& cui, panel::Panel& panel, std::uint64_t now, bool set, std::uint8_t* record) {
  BlockAnswer answer;
  const std::uint32_t code = Word(record, 4);
  const std::uint32_t count = Word(record, 8);
  if (set ? !IsSetCode(code) : !IsGetCode(code)) {
    answer.result = kEInvalidArg;
    return answer;
  }
  ++cui.auxExchanges;
  const DriverFault* fault = panel::FaultOn(cui.faults, cui.auxExchanges);
  const AttachedDevice* device = FindAttached(cui, Word(record, 0));
  if (fault != nullptr && fault->error) {
    answer.error = *fault->error;
  } else if (device == nullptr) {
    answer.error = kErrorUnknownDevice;
  } else if (count > panel::kAuxMaxData) {
    answer.error = kErrorTooLong;
  } else {
    panel::AuxRequest& request = answer.request;
    request.command = static_cast<std::uint8_t>(code);
    const std::uint32_t address = Word(record, 12);
    request.address = panel::IsNative(request.command) ? address : (address >> 1) & 0x7F;
    request.length = count;
    if (!panel::IsRead(request.command)) std::memcpy(request.data, record + 16, count);
    answer.bus = device->reachesPanel ? panel::Transact(panel, request, now)
                                      : panel::TransactWithoutPanel(request);
    answer.busUsed = true;
    if (answer.bus.reply == panel::AuxReply::Ack) {
      if (panel::IsRead(request.command)) {
        std::memcpy(record + 16, answer.bus.data, answer.bus.count);
        PutWord(record, 8, answer.bus.count);
      }
    } else {
      answer.error = answer.bus.reply == panel::AuxReply::Nack ? kErrorNack : kErrorDefer;
    }
  }
  if (fault != nullptr && fault->byteCount) PutWord(record, 8, *fault->byteCount);
  return answer;
}

// Record: power source, operation, ..., mask at 20, feature word at 24.
BlockAnswer Power(Cui& cui, bool set, std::uint8_t* record) {
  BlockAnswer answer;
  if (!set) {
    PutWord(record, 24, cui.powerFeatures);
  } else {
    const std::uint32_t mask = Word(record, 20);
    cui.powerFeatures = (cui.powerFeatures & ~mask) | (Word(record, 24) & mask);
  }
  return answer;
}

}  // namespace

EnumAnswer EnumAttachedDevices(const Cui& cui, std::u16string_view display, std::uint32_t index) {
  EnumAnswer answer;
  for (const Display& candidate : cui.displays) {
    if (candidate.name != display || index >= candidate.devices.size()) continue;
    const AttachedDevice& device = candidate.devices[index];
    answer = EnumAnswer{platform::kSOk, device.id, device.type, device.status};
  }
  return answer;
}

BlockAnswer DataBlock(Cui& cui, panel::Panel& panel, std::uint64_t now, bool set,
                      const platform::Guid& block, std::uint32_t size, std::uint8_t* record) {
  using namespace platform::intel_cui;
  if (block == kAuxBlockId && size == kAuxBlockSize) return Aux(cui, panel, now, set, record);
  if (block == kPowerBlockId && size == kPowerBlockSize) return Power(cui, set, record);
  BlockAnswer refused;
  refused.result = kEInvalidArg;
  return refused;
}

}  // namespace sim::intel
