// The two msi.dll functions are imported by ordinal only (see
// msi_ordinals.def.in), so they are declared here rather than taken from
// <msi.h>.
#include <windows.h>

#include "platform/installer.h"

extern "C" {
__declspec(dllimport) UINT WINAPI MsiEnumRelatedProductsA(LPCSTR upgradeCode, DWORD reserved,
                                                          DWORD index, LPSTR productCode);
__declspec(dllimport) UINT WINAPI MsiGetProductInfoExA(LPCSTR productCode, LPCSTR userSid,
                                                       DWORD context, LPCSTR property,
                                                       LPSTR value, LPDWORD valueChars);
}

namespace platform {

Status MsiEnumRelatedProductsA(const char* upgradeCode, std::uint32_t reserved,
                               std::uint32_t index, char* productCode) {
  return static_cast<Status>(::MsiEnumRelatedProductsA(upgradeCode, reserved, index, productCode));
}

Status MsiGetProductInfoExA(const char* productCode, const char* userSid, std::uint32_t context,
                            const char* property, char* value, std::uint32_t* valueChars) {
  DWORD chars = valueChars != nullptr ? *valueChars : 0;
  const UINT status = ::MsiGetProductInfoExA(productCode, userSid, context, property, value,
                                             valueChars != nullptr ? &chars : nullptr);
  if (valueChars != nullptr) *valueChars = chars;
  return static_cast<Status>(status);
}

}  // namespace platform
