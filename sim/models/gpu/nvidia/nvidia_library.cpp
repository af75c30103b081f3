#include "sim/models/gpu/nvidia/nvidia_library.h"

#include <cstring>
#include <iterator>

namespace sim::nvidia {
namespace {

const Gpu* FindGpu(const Library& library, std::uint32_t handle) {
  for (const Gpu& gpu : library.gpus) {
    if (gpu.handle == handle) return &gpu;
  }
  return nullptr;
}

std::vector<const Display*> ConnectedDisplays(const Gpu& gpu) {
  std::vector<const Display*> connected;
  for (const Display& display : gpu.displays) {
    if (display.connected) connected.push_back(&display);
  }
  return connected;
}

const Display* FindConnected(const Library& library, bool byHandle, std::uint32_t value) {
  for (const Gpu& gpu : library.gpus) {
    for (const Display* display : ConnectedDisplays(gpu)) {
      if ((byHandle ? display->handle : display->id) == value) return display;
    }
  }
  return nullptr;
}

// The record's commands 0 to 6 as DisplayPort request commands on the
// bus; command 4 is none.
constexpr std::uint8_t kNoCommand = 0xFF;
constexpr std::uint8_t kBusCommands[] = {
    panel::kNativeWrite, panel::kNativeRead, panel::kI2cWrite, panel::kI2cRead, kNoCommand,
    panel::kI2cWrite | panel::kI2cMot, panel::kI2cRead | panel::kI2cMot};
static_assert(kBusCommands[api::kI2cWriteMot] == (panel::kI2cWrite | panel::kI2cMot) &&
              kBusCommands[api::kI2cReadStop] == panel::kI2cRead);

bool BusCommand(std::uint32_t command, std::uint8_t* bus) {
  if (command >= std::size(kBusCommands) || kBusCommands[command] == kNoCommand) return false;
  *bus = kBusCommands[command];
  return true;
}

// The transaction as the display's sink answers it: the panel, or a sink
// with nothing behind it.
AuxAnswer Carry(const Display& display, panel::Panel& panel, std::uint64_t now,
                api::AuxRecord& record) {
  AuxAnswer answer;
  panel::AuxRequest& request = answer.request;
  const std::uint32_t count = record.countMinusOne + 1;
  if (record.displayId != display.id || !BusCommand(record.command, &request.command) ||
      count == 0 || count > panel::kAuxMaxData) {
    answer.status = kInvalidArgument;
    return answer;
  }
  request.address =
      panel::IsNative(request.command) ? record.address : (record.address >> 1) & 0x7F;
  request.length = count;
  if (!panel::IsRead(request.command)) std::memcpy(request.data, record.data, count);
  answer.busUsed = true;
  if (display.panel) {
    answer.bus = panel::Transact(panel, request, now);
  } else {
    answer.bus.reply = panel::AuxReply::Nack;
  }
  switch (answer.bus.reply) {
    case panel::AuxReply::Ack:
      if (panel::IsRead(request.command) && answer.bus.count > 0) {
        std::memcpy(record.data, answer.bus.data, answer.bus.count);
        record.countMinusOne = answer.bus.count - 1;
      }
      break;
    case panel::AuxReply::Nack:
      answer.status = kBusNack;
      break;
    case panel::AuxReply::Defer:
      answer.status = kBusDefer;
      break;
  }
  return answer;
}

}  // namespace

api::Status Initialize(Library& library) {
  if (library.failures.initialize != kOk) return library.failures.initialize;
  library.initialised = true;
  return kOk;
}

api::Status Unload(Library& library) {
  library.initialised = false;
  return library.failures.unload;
}

api::Status EnumPhysicalGpus(const Library& library, std::uint32_t* handles,
                             std::uint32_t* count) {
  if (!library.initialised) return kNotInitialised;
  if (handles == nullptr || count == nullptr) return kInvalidArgument;
  if (library.failures.enumPhysicalGpus != kOk) return library.failures.enumPhysicalGpus;
  std::uint32_t listed = 0;
  for (const Gpu& gpu : library.gpus) {
    if (listed == api::kMaxGpus) break;
    handles[listed++] = gpu.handle;
  }
  *count = listed;
  return kOk;
}

api::Status GetConnectedDisplayIds(const Library& library, std::uint32_t gpuHandle,
                                   api::DisplayIdEntry* list, std::uint32_t* count) {
  if (!library.initialised) return kNotInitialised;
  if (count == nullptr) return kInvalidArgument;
  const Gpu* gpu = FindGpu(library, gpuHandle);
  if (gpu == nullptr) return kUnknownHandle;
  const std::vector<const Display*> connected = ConnectedDisplays(*gpu);
  const auto real = static_cast<std::uint32_t>(connected.size());
  if (list == nullptr) {
    if (library.failures.displayCount != kOk) return library.failures.displayCount;
    *count = library.reportedDisplayCount.value_or(real);
    return kOk;
  }
  if (library.failures.displayList != kOk) return library.failures.displayList;
  if (*count == 0 || list[0].version != api::kDisplayIdVersion) return kWrongVersion;
  if (*count < real) return kBufferTooSmall;
  for (std::uint32_t i = 0; i < real; ++i) list[i].displayId = connected[i]->id;
  *count = library.listedDisplayCount.value_or(real);
  return kOk;
}

api::Status GetConnectorInfo(const Library& library, std::uint32_t gpuHandle,
                             std::uint32_t displayId, api::ConnectorInfo* info) {
  if (!library.initialised) return kNotInitialised;
  if (info == nullptr) return kInvalidArgument;
  if (info->version != api::kConnectorInfoVersion) return kWrongVersion;
  const Gpu* gpu = FindGpu(library, gpuHandle);
  if (gpu == nullptr) return kUnknownHandle;
  for (const Display* display : ConnectedDisplays(*gpu)) {
    if (display->id != displayId) continue;
    if (display->connectorInfoStatus != kOk) return display->connectorInfoStatus;
    info->connectorType = display->connector;
    return kOk;
  }
  return kInvalidArgument;
}

api::Status GetDisplayHandle(const Library& library, std::uint32_t displayId,
                             std::uint32_t* handle) {
  if (!library.initialised) return kNotInitialised;
  if (handle == nullptr) return kInvalidArgument;
  const Display* display = FindConnected(library, false, displayId);
  if (display == nullptr) return kInvalidArgument;
  if (display->handleStatus != kOk) return display->handleStatus;
  *handle = display->handle;
  return kOk;
}

AuxAnswer DpAuxChannelControl(Library& library, panel::Panel& panel, std::uint64_t now,
                              std::uint32_t displayHandle, api::AuxRecord* record) {
  AuxAnswer answer;
  if (!library.initialised) {
    answer.status = kNotInitialised;
    return answer;
  }
  if (record == nullptr) {
    answer.status = kInvalidArgument;
    return answer;
  }
  if (record->version != api::kAuxRecordVersion) {
    answer.status = kWrongVersion;
    return answer;
  }
  const Display* display = FindConnected(library, true, displayHandle);
  if (display == nullptr) {
    answer.status = kUnknownHandle;
    return answer;
  }
  ++library.auxTransactions;
  const AuxFault* fault = panel::FaultOn(library.auxFaults, library.auxTransactions);
  if (fault != nullptr && fault->status) {
    answer.status = *fault->status;
  } else {
    answer = Carry(*display, panel, now, *record);
  }
  if (fault != nullptr && fault->byteCount) record->countMinusOne = *fault->byteCount - 1;
  return answer;
}

}  // namespace sim::nvidia
