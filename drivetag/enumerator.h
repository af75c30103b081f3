#pragma once
#include <cstdint>

#include "platform/setupapi.h"

// Which disks drivetag talks to: those whose device was enumerated by a
// storage bus enumerator.
namespace drivetag {

// Looks at the device element with the same member index as the interface.
bool IsStorageEnumerator(platform::DevInfoSet set, std::uint32_t index);

}  // namespace drivetag
