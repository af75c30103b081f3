#include "sim/models/storage/nvme_drive.h"

#include <algorithm>
#include <cstring>

namespace sim {
namespace {

constexpr std::uint8_t kIdentify = 0x06;
constexpr std::uint8_t kGetFeatures = 0x0A;
constexpr std::uint8_t kSetFeatures = 0x09;
constexpr std::uint32_t kHostMetadataFeature = 0xDA;
constexpr std::uint32_t kFeatureBytes = 128;
constexpr std::uint32_t kIdentifyBytes = 4096;
constexpr std::size_t kValueAt = 6;

NvmeAnswer Refused(const std::string& why) {
  NvmeAnswer answer;
  answer.refusal = why;
  return answer;
}

const CommandFault* FaultFor(const std::map<int, CommandFault>& faults, int type) {
  auto it = faults.find(type);
  if (it == faults.end()) it = faults.find(0);
  return it == faults.end() ? nullptr : &it->second;
}

// The bytes of the answer that reach the data area, and the answer's fields.
NvmeAnswer Deliver(const CommandFault* fault, const std::vector<std::uint8_t>& bytes,
                   std::uint8_t* data) {
  if (fault != nullptr && fault->fail) return Refused("fault");
  NvmeAnswer answer;
  answer.ok = true;
  auto count = static_cast<std::uint32_t>(bytes.size());
  if (fault != nullptr && fault->dataBytes) count = std::min(count, *fault->dataBytes);
  std::memcpy(data, bytes.data(), count);
  answer.dataBytes = count;
  if (fault != nullptr && fault->returnCode) answer.returnCode = *fault->returnCode;
  if (fault != nullptr) answer.bytesReturned = fault->bytesReturned;
  return answer;
}

std::vector<std::uint8_t> Trimmed(const std::uint8_t* value, std::size_t length) {
  while (length > 0 && value[length - 1] == 0) --length;
  return std::vector<std::uint8_t>(value, value + length);
}

}  // namespace

NvmeAnswer NvmeDrive::Execute(const NvmeCommandDwords& command, std::uint8_t* data,
                              std::uint32_t length, bool* changed) {
  const std::uint32_t feature = command.cdw[10] & 0xFF;
  switch (command.opcode) {
    case kIdentify: {
      if ((command.cdw[10] & 0xFF) != 1) return Refused("CNS");
      if (length < kIdentifyBytes) return Refused("data length");
      return Deliver(identifyFault ? &*identifyFault : nullptr, identify, data);
    }
    case kGetFeatures: {
      if (feature != kHostMetadataFeature) return Refused("feature");
      if (length < kFeatureBytes) return Refused("data length");
      const int type = static_cast<int>(command.cdw[11] & 0xFF);
      std::vector<std::uint8_t> answer(kFeatureBytes, 0);
      auto element = elements.find(type);
      if (element != elements.end()) {
        answer[0] = 1;
        answer[2] = static_cast<std::uint8_t>(type);
        answer[4] = kElementValueBytes;
        std::copy(element->second.begin(), element->second.end(), answer.begin() + kValueAt);
      }
      return Deliver(FaultFor(getFaults, type), answer, data);
    }
    case kSetFeatures: {
      if (feature != kHostMetadataFeature) return Refused("feature");
      if (length < kFeatureBytes) return Refused("data length");
      const unsigned count = data[0] | (data[1] << 8);
      const std::uint8_t typeByte = data[2];
      const unsigned elementLength = data[4] | (data[5] << 8);
      if (count < 1) return Refused("no descriptor");
      if ((typeByte & 0xC0) != 0) return Refused("element type");
      if (elementLength > kElementValueBytes) return Refused("element length");
      const int type = typeByte;
      const CommandFault* fault = FaultFor(setFaults, type);
      if (fault != nullptr && fault->fail) return Refused("fault");
      NvmeAnswer answer;
      answer.ok = true;
      if (fault != nullptr && fault->returnCode) answer.returnCode = *fault->returnCode;
      if (fault != nullptr) answer.bytesReturned = fault->bytesReturned;
      // Only a command the drive completed (ReturnCode 1) changes the element.
      if (answer.returnCode == 1) {
        std::vector<std::uint8_t> value = Trimmed(data + kValueAt, elementLength);
        auto& stored = elements[type];
        if (stored != value) {
          stored = std::move(value);
          *changed = true;
        }
      }
      return answer;
    }
    default:
      return Refused("opcode");
  }
}

}  // namespace sim
