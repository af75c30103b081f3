#include "drivetag/enumerator.h"

#include <memory>
#include <optional>
#include <string>
#include <new>

#include "common/ascii_case.h"
#include "common/utf16le.h"
#include "platform/files.h"

namespace drivetag {
namespace {

constexpr std::uint32_t kFirstEnumeratorOffer = 1000;

// The text ends at its terminator, at the latest where the bytes offered end;
// the byte count SetupAPI reports is not trusted beyond that.
std::u16string TextIn(const std::uint8_t* buffer, std::uint32_t offered) {
  return common::Utf16LeText(buffer, offered);
}

// The device's SPDRP_ENUMERATOR_NAME, or nothing when it cannot be read.
std::optional<std::u16string> ReadEnumeratorName(platform::DevInfoSet set,
                                                 platform::DevInfoData* device) {
  std::uint8_t first[kFirstEnumeratorOffer] = {};
  std::uint32_t type = 0, required = 0;
  if (platform::SetupDiGetDeviceRegistryPropertyW(set, device, platform::kSpdrpEnumeratorName,
                                                  &type, first, sizeof first, &required)) {
    return TextIn(first, sizeof first);
  }
  if (platform::LastError() != platform::kErrorInsufficientBuffer) return std::nullopt;
  // The second and last attempt offers exactly the buffer it allocates.
  const std::uint64_t wanted = static_cast<std::uint64_t>(required) * 2 + 2;
  if (wanted > 0xFFFFFFFFull) return std::nullopt;
  const auto size = static_cast<std::uint32_t>(wanted);
  std::unique_ptr<std::uint8_t[]> second(new (std::nothrow) std::uint8_t[size]());
  if (second == nullptr) return std::nullopt;
  if (!platform::SetupDiGetDeviceRegistryPropertyW(set, device, platform::kSpdrpEnumeratorName,
                                                   &type, second.get(), size, &required)) {
    return std::nullopt;
  }
  return TextIn(second.get(), size);
}

}  // namespace

bool IsStorageEnumerator(platform::DevInfoSet set, std::uint32_t index) {
  platform::DevInfoData device{};
  device.size = sizeof device;
  if (!platform::SetupDiEnumDeviceInfo(set, index, &device)) return false;
  const std::optional<std::u16string> name = ReadEnumeratorName(set, &device);
  if (!name) return false;
  for (const char16_t* storage : {u"SCSI", u"STORAGE", u"PCI", u"NVME"}) {
    if (common::SameIgnoringAsciiCase(*name, storage)) return true;
  }
  return false;
}

}  // namespace drivetag
