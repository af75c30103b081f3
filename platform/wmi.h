#pragma once
#include <cstdint>
#include <string>

#include "platform/com.h"

// COM and WMI, one call per COM function or interface method, with the
// HRESULTs the platform answers. Interface pointers are opaque handles here;
// each one obtained is given back with Release.
namespace platform {

using ComObject = std::uintptr_t;

inline constexpr std::int32_t kWbemFlagReturnImmediately = 0x10;
inline constexpr std::int32_t kWbemFlagForwardOnly = 0x20;
inline constexpr std::int32_t kWbemInfinite = -1;

// CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
// RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr).
HResult CoInitializeSecurityDefault();

// CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator).
HResult CreateWbemLocator(ComObject* locator);
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

void Release(ComObject object);

}  // namespace platform
