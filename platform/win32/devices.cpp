#include <windows.h>

#include "platform/devices.h"

namespace platform {

bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t inSize,
                     void* out, std::uint32_t outSize, std::uint32_t* returned) {
  DWORD count = 0;
  const BOOL ok = ::DeviceIoControl(reinterpret_cast<HANDLE>(device), code, const_cast<void*>(in),
                                    inSize, out, outSize, &count, nullptr);
  if (returned != nullptr) *returned = count;
  return ok != FALSE;
}

}  // namespace platform
