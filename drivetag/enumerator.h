#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/setupapi.h"

// Which disks drivetag talks to: those whose device was enumerated by a
// storage bus enumerator.
namespace drivetag {

inline constexpr std::uint32_t kFirstEnumeratorOffer = 1000;
// The largest enumerator name size believed. An enumerator name is the first
// part of a device instance ID, which Windows holds to 200 characters
// (MAX_DEVICE_ID_LEN), 402 bytes with the terminator; ten times that still
// costs nothing to allocate, while a driver that reports 2 GB is not obeyed.
inline constexpr std::uint32_t kMaxEnumeratorNameBytes = 4096;

// Looks at the device element with the same member index as the interface.
bool IsStorageEnumerator(platform::DevInfoSet set, std::uint32_t index);
// The device's SPDRP_ENUMERATOR_NAME, or nothing when it cannot be read.
std::optional<std::u16string> ReadEnumeratorName(platform::DevInfoSet set,
                                                 platform::DevInfoData* device);

}  // namespace drivetag
