#pragma once
#include <cstdint>
#include <string>

#include "platform/status.h"
#include "sim/core/handles.h"

namespace sim {

// CreateFileW for the disks' interface paths and the RST controllers' SCSI
// ports. False when the name is neither; otherwise *status tells the outcome
// and *object is the handle's object on success.
bool OpenStorageDevice(const std::u16string& name, std::uint32_t access, std::uint32_t share,
                       OpenObject* object, platform::Status* status);

}  // namespace sim
