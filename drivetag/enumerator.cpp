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
// The largest enumerator name size believed. An enumerator name is the first
// part of a device instance ID, which Windows holds to 200 characters
// (MAX_DEVICE_ID_LEN), 402 bytes with the terminator; ten times that still
// costs nothing to allocate, while a driver that reports 2 GB is not obeyed.
constexpr std::uint32_t kMaxEnumeratorNameBytes = 4096;

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
  // A size beyond any real name fails the read like any other error.
  if (required > kMaxEnumeratorNameBytes) return std::nullopt;
  // The second and last attempt offers exactly the buffer it allocates.
  const std::uint32_t size = required * 2 + 2;
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
