// ADL_INF: loading and starting the AMD Display Library, selecting the
// adapter and display of the panel's link, and its two traffic calls.
#include "tconprobe/dpaux/amd_backend.h"

#include <cstdlib>
#include <cstring>

namespace dpaux {
namespace {

namespace api = platform::adl;

constexpr std::uint32_t kBound = 0;
constexpr std::uint32_t kNoLibrary = 2;
constexpr std::uint32_t kNameMissing = 3;
constexpr std::uint32_t kStartFailed = 4;
constexpr std::uint32_t kFailed = 1;

// What the library may ask for or report: no machine has more adapters,
// and no list it hands over is larger.
constexpr std::int32_t kMaxAdapters = 256;
constexpr std::int32_t kMaxAllocation = 4 * 1024 * 1024;

// Every block starts with its size, padded so the caller's part keeps the
// allocator's alignment.
struct alignas(16) BlockHeader {
  std::uint32_t bytes;
};

std::int32_t WordAt(const std::uint8_t* record, int offset) {
  std::int32_t value = 0;
  std::memcpy(&value, record + offset, sizeof value);
  return value;
}

void PutWord(std::uint8_t* record, int offset, std::int32_t value) {
  std::memcpy(record + offset, &value, sizeof value);
}

template <typename Function>
bool Resolve(Function& entry, platform::Module library, const char* name) {
  entry = platform::FindFunction<Function>(library, name);
  return entry != nullptr;
}

}  // namespace

ADL_INF adlInf;

void* PLATFORM_STDCALL AdlAllocate(std::int32_t size) {
  if (size <= 0 || size > kMaxAllocation) return nullptr;
  auto* header = static_cast<BlockHeader*>(
      std::calloc(1, sizeof(BlockHeader) + static_cast<std::size_t>(size)));
  if (header == nullptr) return nullptr;
  header->bytes = static_cast<std::uint32_t>(size);
  return header + 1;
}

void AdlFree(void* block) {
  if (block != nullptr) std::free(static_cast<BlockHeader*>(block) - 1);
}

std::uint32_t AdlAllocatedBytes(const void* block) {
  return block != nullptr ? (static_cast<const BlockHeader*>(block) - 1)->bytes : 0;
}

std::int32_t AmdConnectorCode(std::int32_t displayType) {
  switch (displayType) {
    case 1: return 1;                         // VGA
    case 2: return api::kConnectorEdp;        // eDP
    case 3: return api::kConnectorDisplayPort;
    case 4: return 2;                         // DVI-D
    case 5: return 3;                         // DVI-I
    case 6: return 10;                        // HDMI type A
    default: return 0;
  }
}

void ADL_INF::Clear() {
  library = 0;
  adapterCount = 0;
  adapter = display = connector = 0;
  mainControlCreate = nullptr;
  mainControlDestroy = nullptr;
  numberOfAdaptersGet = nullptr;
  adapterInfoGet = nullptr;
  displayInfoGet = nullptr;
  adapterActiveGet = nullptr;
  nativeAuxChannelAccess = nullptr;
  ddcBlockAccessGet = nullptr;
  connectedDisplaysGet = false;
}

std::uint32_t ADL_INF::Bind() {
  if (Bound()) return kBound;
  platform::Module loaded = platform::LoadLibraryA(api::kLibrary);
  if (loaded == 0) loaded = platform::LoadLibraryA(api::kLibraryOther);
  if (loaded == 0) return kNoLibrary;
  bool complete = true;
  for (int i = 0; i < api::kFunctionCount; ++i) {
    const char* name = api::kFunctionNames[i];
    bool found = false;
    switch (i) {
      case api::kMainControlCreate: found = Resolve(mainControlCreate, loaded, name); break;
      case api::kMainControlDestroy: found = Resolve(mainControlDestroy, loaded, name); break;
      case api::kNumberOfAdaptersGet: found = Resolve(numberOfAdaptersGet, loaded, name); break;
      case api::kAdapterInfoGet: found = Resolve(adapterInfoGet, loaded, name); break;
      case api::kDisplayInfoGet: found = Resolve(displayInfoGet, loaded, name); break;
      case api::kAdapterActiveGet: found = Resolve(adapterActiveGet, loaded, name); break;
      case api::kNativeAuxChannelAccess: found = Resolve(nativeAuxChannelAccess, loaded, name); break;
      case api::kDdcBlockAccessGet: found = Resolve(ddcBlockAccessGet, loaded, name); break;
      default: found = platform::GetProcAddress(loaded, name) != nullptr; break;
    }
    if (i >= api::kRequiredFunctions) connectedDisplaysGet = found;
    else if (!found) complete = false;
  }
  if (!complete) {
    platform::FreeLibrary(loaded);
    Clear();
    return kNameMissing;
  }
  if (mainControlCreate(AdlAllocate, 1) != api::kOk) {
    platform::FreeLibrary(loaded);
    Clear();
    return kStartFailed;
  }
  library = loaded;
  return kBound;
}

void ADL_INF::Unbind() {
  if (!Bound()) return;
  mainControlDestroy();
  platform::FreeLibrary(library);
  Clear();
}

void ADL_INF::SelectDisplay(std::int32_t connectorCode) {
  if (!Bound()) return;
  std::int32_t count = 0;
  if (numberOfAdaptersGet(&count) != api::kOk) count = 0;
  adapterCount = count;
  // A count of 0 or less, or one no machine has, scans nothing.
  if (count <= 0 || count > kMaxAdapters) return;
  const std::int32_t bytes = count * api::kAdapterInfoSize;
  auto* records = static_cast<std::uint8_t*>(std::calloc(1, static_cast<std::size_t>(bytes)));
  if (records == nullptr) return;
  // Records that did not arrive are not scanned as adapter 0.
  if (adapterInfoGet(records, bytes) == api::kOk) ScanAdapters(records, count, connectorCode);
  std::free(records);
}

void ADL_INF::ScanAdapters(const std::uint8_t* records, std::int32_t count,
                           std::int32_t connectorCode) {
  std::uint8_t* list = nullptr;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t index =
        WordAt(records + static_cast<std::size_t>(i) * api::kAdapterInfoSize, api::kAdapterIndexAt);
    std::int32_t active = 0;
    if (adapterActiveGet(index, &active) != api::kOk || active == 0) continue;
    // Cleared once freed, so a fetch that fails leaves nothing to free twice.
    AdlFree(list);
    list = nullptr;
    std::int32_t displays = 0;
    if (displayInfoGet(index, &displays, &list, 0) != api::kOk || list == nullptr) continue;
    // Never more records than the block the library allocated holds.
    const std::uint32_t held = AdlAllocatedBytes(list) / api::kDisplayInfoSize;
    const std::uint32_t reported = displays <= 0 ? 0 : static_cast<std::uint32_t>(displays);
    const std::uint32_t scanned = reported < held ? reported : held;
    for (std::uint32_t d = 0; d < scanned; ++d) {
      const std::uint8_t* record = list + static_cast<std::size_t>(d) * api::kDisplayInfoSize;
      const std::int32_t code = WordAt(record, api::kDisplayConnectorAt);
      const auto flags = static_cast<std::uint32_t>(WordAt(record, api::kDisplayFlagsAt));
      if ((flags & api::kDisplayConnected) != 0 && WordAt(record, api::kDisplayAdapterAt) == index &&
          (code == api::kConnectorDisplayPort || code == api::kConnectorEdp) &&
          code == connectorCode) {
        adapter = index;
        display = WordAt(record, api::kDisplayIndexAt);
        connector = code;
        break;
      }
    }
  }
  AdlFree(list);
}

std::uint32_t ADL_INF::Native(std::uint32_t address, const std::uint8_t* source,
                              std::uint8_t* target, std::uint32_t length) {
  if (!Bound() || length == 0 || length > static_cast<std::uint32_t>(api::kNativeMaxData))
    return kFailed;
  std::uint8_t record[api::kNativeRecordSize] = {};
  PutWord(record, api::kNativeSizeAt, api::kNativeRecordSize);
  PutWord(record, api::kNativeWriteAt, source != nullptr ? 1 : 0);
  PutWord(record, api::kNativeAddressAt, static_cast<std::int32_t>(address));
  PutWord(record, api::kNativeCountAt, static_cast<std::int32_t>(length));
  if (source != nullptr) std::memcpy(record + api::kNativeDataAt, source, length);
  if (nativeAuxChannelAccess(adapter, display, record) != api::kOk) return kFailed;
  if (source != nullptr) return 0;
  // The count the library leaves is copied no further than what was asked;
  // a read that brought another count than asked has failed.
  const std::int32_t count = WordAt(record, api::kNativeCountAt);
  const std::uint32_t reported = count <= 0 ? 0 : static_cast<std::uint32_t>(count);
  const std::uint32_t copied = reported < length ? reported : length;
  std::memcpy(target, record + api::kNativeDataAt, copied);
  return reported == length ? 0 : kFailed;
}

std::uint32_t ADL_INF::DdcBlockAccess(std::int32_t option, std::int32_t sendLength,
                                      std::uint8_t* send, std::int32_t* receiveLength,
                                      std::uint8_t* receive) {
  if (!Bound()) return kFailed;
  const std::int32_t result =
      ddcBlockAccessGet(adapter, display, option, 0, sendLength, send, receiveLength, receive);
  // The failure's low byte, but never a failure that would read as success.
  if (result == api::kOk) return 0;
  const auto low = static_cast<std::uint8_t>(result);
  return low != 0 ? low : kFailed;
}

}  // namespace dpaux
