#pragma once
#include <cstdint>

#include "platform/status.h"

// The Windows Installer calls, narrow variants, one call per msi.dll
// function, returning the installer's status codes.
namespace platform {

inline constexpr Status kErrorUnknownProduct = 1605;
inline constexpr Status kErrorUnknownProperty = 1608;
inline constexpr Status kErrorBadConfiguration = 1610;

inline constexpr std::uint32_t kMsiContextUserManaged = 1;
inline constexpr std::uint32_t kMsiContextUserUnmanaged = 2;
inline constexpr std::uint32_t kMsiContextMachine = 4;

// A product code in braces plus its terminator.
inline constexpr std::uint32_t kProductCodeChars = 39;

// msi.dll ordinal 204: the product code of the index-th installed product
// that carries the upgrade code; productCode holds kProductCodeChars.
// kErrorNoMoreItems past the last one.
Status MsiEnumRelatedProductsA(const char* upgradeCode, std::uint32_t reserved,
                               std::uint32_t index, char* productCode);

// msi.dll ordinal 247: a property of a product installed in the given
// context. *valueChars is the buffer's size in characters on the way in and
// the text's length without terminator on the way out; a buffer too small
// gives kErrorMoreData.
Status MsiGetProductInfoExA(const char* productCode, const char* userSid, std::uint32_t context,
                            const char* property, char* value, std::uint32_t* valueChars);

}  // namespace platform
