#pragma once
#include <cstdint>

#include "platform/files.h"

// Device I/O control on a handle from CreateFileW. Failures are reported
// through LastError(), as GetLastError does.
namespace platform {

// in and out may be the same buffer.
bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t inSize,
                     void* out, std::uint32_t outSize, std::uint32_t* returned);

}  // namespace platform
