#pragma once
#include <cstdint>
#include <string>

#include "platform/com.h"

// WMI, one call per interface method, with the HRESULTs the platform
// answers. The locator comes from CoCreateInstance (com.h); every interface
// pointer obtained is given back with Release.
namespace platform {

// An interface pointer of WMI: locator, services, enumerator or row object.
using ComObject = ComInterface*;

// CLSID_WbemLocator and IID_IWbemLocator, for CoCreateInstance.
inline constexpr Guid kClsidWbemLocator = {0x4590F811, 0x1D3A, 0x11D0,
                                           {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
inline constexpr Guid kIidWbemLocator = {0xDC12A687, 0x737F, 0x11CF,
                                         {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};

inline constexpr std::int32_t kWbemFlagReturnImmediately = 0x10;
inline constexpr std::int32_t kWbemFlagForwardOnly = 0x20;
inline constexpr std::int32_t kWbemInfinite = -1;

inline constexpr HResult kWbemENotFound = static_cast<HResult>(0x80041002);
inline constexpr HResult kWbemEInvalidNamespace = static_cast<HResult>(0x8004100E);
inline constexpr HResult kWbemEInvalidClass = static_cast<HResult>(0x80041010);
inline constexpr HResult kWbemEInvalidQuery = static_cast<HResult>(0x80041017);
inline constexpr HResult kWbemEInvalidQueryType = static_cast<HResult>(0x80041018);

// IWbemLocator::ConnectServer with no user, password, locale, flags,
// authority or context.
HResult WbemConnectServer(ComObject locator, const char16_t* nameSpace, ComObject* services);
// CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
// RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE).
HResult SetWbemProxyBlanket(ComObject services);
HResult WbemExecQuery(ComObject services, const char16_t* language, const char16_t* query,
                      std::int32_t flags, ComObject* enumerator);
// IEnumWbemClassObject::Next for one object; *returned is 0 or 1.
HResult WbemNext(ComObject enumerator, std::int32_t timeout, ComObject* object,
                 std::uint32_t* returned);

// A property value as IWbemClassObject::Get hands it over, cleared again
// before the call returns.
enum class VariantKind { Empty, Null, String, Other };
struct PropertyValue {
  VariantKind kind = VariantKind::Empty;
  std::u16string text;  // VariantKind::String only
};
HResult WbemGet(ComObject object, const char16_t* name, PropertyValue* value);

}  // namespace platform
