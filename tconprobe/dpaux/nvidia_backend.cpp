// The NVIDIA back-end: "NvidiaAPI.dll" bound by name, display selection by
// connector type, and I2C-over-AUX and native transfers in 104-byte records.
#include "tconprobe/dpaux/nvidia_backend.h"

#include <cstring>
#include <memory>

#include "platform/modules.h"
#include "platform/nvidia_api.h"

namespace dpaux {
namespace {

namespace api = platform::nvidia_api;

constexpr AuxStatus kFailed = 1;
constexpr std::uint32_t kRecordData = 16;
constexpr std::uint32_t kReadPiece = 12;
// No GPU has more connected displays; a larger count, and any whose byte
// size would overflow, is a failed query rather than an allocation.
constexpr std::uint32_t kMaxDisplayIds = 1024;

// The library and its 17 entry points; the 10 that are bound but never
// called are kept only as found.
struct NvidiaLibrary {
  platform::Module module = 0;
  api::DpAuxChannelControlFunction dpAuxChannelControl = nullptr;
  api::GetDisplayHandleFunction getDisplayHandle = nullptr;
  api::EnumPhysicalGpusFunction enumPhysicalGpus = nullptr;
  api::GetConnectedDisplayIdsFunction getConnectedDisplayIds = nullptr;
  api::GetConnectorInfoFunction getConnectorInfo = nullptr;
  api::InitializeFunction initialize = nullptr;
  api::UnloadFunction unload = nullptr;
  platform::ProcAddress others[api::kFunctionCount - 7] = {};
};
NvidiaLibrary library;
std::uint32_t writePieceSize = kRecordData;

template <typename Function>
bool Find(int position, Function* entry) {
  *entry = platform::FindFunction<Function>(library.module, api::kFunctionNames[position]);
  return *entry != nullptr;
}

bool FindEntry(int position, int* other) {
  switch (position) {
    case api::kDpAuxChannelControl:
      return Find(position, &library.dpAuxChannelControl);
    case api::kGetDisplayHandleFromDisplayId:
      return Find(position, &library.getDisplayHandle);
    case api::kEnumPhysicalGpus:
      return Find(position, &library.enumPhysicalGpus);
    case api::kGetConnectedDisplayIds:
      return Find(position, &library.getConnectedDisplayIds);
    case api::kGetConnectorInfo:
      return Find(position, &library.getConnectorInfo);
    case api::kInitialize:
      return Find(position, &library.initialize);
    case api::kUnload:
      return Find(position, &library.unload);
    default:
      return Find(position, &library.others[(*other)++]);
  }
}

void Unbind() {
  if (library.module != 0) platform::FreeLibrary(library.module);
  library = NvidiaLibrary{};
}

// A library that lacks one name is given back whole, so the next attempt
// starts afresh.
bool Bind() {
  if (library.module != 0) return true;
  library.module = platform::LoadLibraryA(api::kLibraryName);
  if (library.module == 0) return false;
  int other = 0;
  for (int position = 0; position < api::kFunctionCount; ++position) {
    if (!FindEntry(position, &other)) {
      Unbind();
      return false;
    }
  }
  return true;
}

std::uint32_t ConnectorOf(std::uint32_t kind) {
  switch (kind) {
    case 1:
      return api::kConnectorEdp;
    case 2:
      return api::kConnectorDp;
    case 3:
      return api::kConnectorOther;
    default:
      return 0;
  }
}

// Small EEPROMs take the 256-byte block of the offset in address bits 3..1.
std::uint8_t BlockAddress(std::uint8_t address, std::uint32_t offset) {
  return static_cast<std::uint8_t>(address | ((offset >> 8) * 2));
}

}  // namespace

NV_DP_CTRL nvidiaControl;

void SetNvidiaWritePieceSize(std::uint32_t bytes) { writePieceSize = bytes; }

void CloseNvidiaAtProgramEnd() {
  if (nvidiaControl.initialised == 1) nvidiaControl.Close();
}

void ForgetNvidiaLibrary() {
  library = NvidiaLibrary{};
  nvidiaControl = NV_DP_CTRL{};
  writePieceSize = kRecordData;
}

AuxStatus NV_DP_CTRL::Init() {
  if (initialised == 1) return 0;
  if (!Bind()) return kNvBindFailed;
  if (library.initialize() != 0) {
    displayKind = 0;
    gpuHandle = 0;
    displayHandle = 0;
    displayId = 0;
    return kNvInitializeFailed;
  }
  std::uint32_t handles[api::kMaxGpus] = {};
  std::uint32_t count = 0;
  if (library.enumPhysicalGpus(handles, &count) != 0) return kNvGpuEnumFailed;
  gpuHandle = handles[0];
  initialised = 1;
  return 0;
}

AuxStatus NV_DP_CTRL::Close() {
  const AuxStatus status =
      library.unload != nullptr && library.unload() == 0 ? 0 : kNvUnloadFailed;
  Unbind();
  initialised = 0;
  return status;
}

AuxStatus NV_DP_CTRL::SelectDisplay(std::uint32_t kind) {
  displayKind = kind;
  const std::uint32_t wanted = ConnectorOf(kind);
  if (wanted == 0) return kNvBadDisplayKind;
  if (gpuHandle == 0) return kNvNoGpu;
  if (library.getConnectedDisplayIds == nullptr) return kNvDisplayIdsFailed;
  std::uint32_t count = 0;
  if (library.getConnectedDisplayIds(gpuHandle, nullptr, &count, 0) != 0) return kNvDisplayIdsFailed;
  if (count == 0) return kNvNoDisplay;
  if (count > kMaxDisplayIds) return kNvDisplayIdsFailed;
  const std::unique_ptr<api::DisplayIdEntry[]> list(new api::DisplayIdEntry[count]());
  list[0].version = api::kDisplayIdVersion;
  std::uint32_t listed = count;
  if (library.getConnectedDisplayIds(gpuHandle, list.get(), &listed, 0) != 0)
    return kNvDisplayIdsFailed;
  displayHandle = 0;
  displayId = 0;
  // Only the entries allocated here, whatever count the library handed back.
  const std::uint32_t entries = listed < count ? listed : count;
  for (std::uint32_t i = 0; i < entries; ++i) {
    api::ConnectorInfo info{};
    info.version = api::kConnectorInfoVersion;
    if (library.getConnectorInfo(gpuHandle, list[i].displayId, &info) != 0)
      return kNvConnectorInfoFailed;
    if (info.connectorType != wanted) continue;
    std::uint32_t handle = 0;
    if (library.getDisplayHandle(list[i].displayId, &handle) != 0) return kNvDisplayHandleFailed;
    displayHandle = handle;
    displayId = list[i].displayId;
    break;
  }
  return displayHandle == 0 ? kNvNoMatchingDisplay : 0;
}

AuxStatus NV_DP_CTRL::Transact(std::uint32_t command, std::uint32_t address,
                               const std::uint8_t* source, std::uint8_t* target,
                               std::uint32_t count) const {
  if (library.dpAuxChannelControl == nullptr || count == 0 || count > kRecordData) return kFailed;
  api::AuxRecord record{};
  record.version = api::kAuxRecordVersion;
  record.displayId = displayId;
  record.command = command;
  record.address = address;
  if (source != nullptr) std::memcpy(record.data, source, count);
  record.countMinusOne = count - 1;
  if (library.dpAuxChannelControl(displayHandle, &record, 0) != 0) return kFailed;
  if (target != nullptr) {
    // Bytes the library did not say it read are not data.
    if (record.countMinusOne != count - 1) return kFailed;
    std::memcpy(target, record.data, count);
  }
  return 0;
}

AuxStatus NV_DP_CTRL::I2cRead(std::uint8_t address, std::uint16_t offset, std::uint8_t* data,
                              std::uint32_t length, std::uint32_t type) {
  if (length == 0 || data == nullptr) return kFailed;
  const std::uint8_t twoBytes[] = {static_cast<std::uint8_t>(offset >> 8),
                                   static_cast<std::uint8_t>(offset)};
  const std::uint8_t* header = twoBytes;
  std::uint32_t headerBytes = 2;
  std::uint8_t target = address;
  if (type == 0 || type == 6) {
    target = BlockAddress(address, offset);
    header = type == 0 ? &twoBytes[1] : data;
    headerBytes = type == 0 ? 1 : offset;
    // The offset bytes must fit one record and lie inside the caller's buffer.
    if (type == 6 && (headerBytes == 0 || headerBytes > kRecordData || headerBytes > length))
      return kFailed;
  }
  if (type != 4 && Transact(api::kI2cWriteMot, target, header, nullptr, headerBytes) != 0)
    return kFailed;
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t left = length - done;
    if (type == 0) target = BlockAddress(address, offset + done);
    const bool last = left <= kReadPiece;
    const std::uint32_t piece = last ? left : kReadPiece;
    if (Transact(last ? api::kI2cReadStop : api::kI2cReadMot, target, nullptr, data + done,
                 piece) != 0)
      return kFailed;
    done += piece;
  }
  return 0;
}

AuxStatus NV_DP_CTRL::I2cWrite(std::uint8_t address, std::uint16_t offset,
                               const std::uint8_t* data, std::uint32_t length, std::uint32_t type) {
  if (length == 0 || data == nullptr || writePieceSize == 0 || writePieceSize > kRecordData)
    return kFailed;
  std::uint8_t header[3] = {static_cast<std::uint8_t>(offset >> 8),
                            static_cast<std::uint8_t>(offset), 0};
  std::uint8_t* headerStart = header;
  std::uint32_t headerBytes = 2;
  std::uint8_t target = address;
  if (type == 0) {
    target = BlockAddress(address, offset);
    headerStart = &header[1];
    headerBytes = 1;
  }
  if (type != 2 && Transact(api::kI2cWriteMot, target, headerStart, nullptr, headerBytes) != 0) {
    if (length != 1) return kFailed;
    // A device that refuses a bare offset may take the offset and its byte at once.
    headerStart[headerBytes] = data[0];
    return Transact(api::kI2cWriteStop, target, headerStart, nullptr, headerBytes + 1);
  }
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t left = length - done;
    if (type == 0) target = BlockAddress(address, offset + done);
    const bool last = left <= writePieceSize;
    const std::uint32_t piece = last ? left : writePieceSize;
    if (Transact(last ? api::kI2cWriteStop : api::kI2cWriteMot, target, data + done, nullptr,
                 piece) != 0)
      return kFailed;
    done += piece;
  }
  return 0;
}

AuxStatus NV_DP_CTRL::NativeTransfer(std::uint32_t address, const std::uint8_t* source,
                                     std::uint8_t* target, std::uint32_t length) {
  // The length is a signed count: 0 and the negative ones carry nothing.
  if (length == 0 || length > 0x7FFFFFFFu) return kNvBadLength;
  const bool write = source != nullptr;
  const AuxStatus failed = write ? kNvNativeWriteFailed : kNvNativeReadFailed;
  const std::uint32_t piece = nativePieceSize;
  if (piece == 0 || piece > kRecordData) return failed;
  for (std::uint32_t done = 0; done < length; done += piece) {
    const std::uint32_t count = length - done < piece ? length - done : piece;
    const AuxStatus status =
        write ? Transact(api::kNativeWrite, address + done, source + done, nullptr, count)
              : Transact(api::kNativeRead, address + done, nullptr, target + done, count);
    if (status != 0) return failed;
  }
  return 0;
}

}  // namespace dpaux
