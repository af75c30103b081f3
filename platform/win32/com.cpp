#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "platform/com.h"

namespace platform {
namespace {

// The portable records and constants are the Win32 ones.
static_assert(sizeof(Guid) == sizeof(GUID));
static_assert(sizeof(ComInterface) == sizeof(void*));
static_assert(kClsctxInprocServer == CLSCTX_INPROC_SERVER);
static_assert(kClsctxLocalServer == CLSCTX_LOCAL_SERVER);
static_assert(kClsctxRemoteServer == CLSCTX_REMOTE_SERVER);

const GUID& ToGuid(const Guid& guid) { return reinterpret_cast<const GUID&>(guid); }

}  // namespace

HResult CoInitializeApartment() { return ::CoInitialize(nullptr); }

HResult CoInitializeMultithreaded() { return ::CoInitializeEx(nullptr, COINIT_MULTITHREADED); }

void CoUninitialize() { ::CoUninitialize(); }

HResult CoInitializeSecurityDefault() {
  return ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
}

HResult CLSIDFromProgID(const char16_t* progId, Guid* classId) {
  return ::CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(progId), reinterpret_cast<CLSID*>(classId));
}

HResult CoCreateInstance(const Guid& classId, std::uint32_t context, const Guid& interfaceId,
                         ComInterface** object) {
  return ::CoCreateInstance(ToGuid(classId), nullptr, context, ToGuid(interfaceId),
                            reinterpret_cast<void**>(object));
}

Bstr SysAllocString(const char16_t* text) {
  return reinterpret_cast<Bstr>(::SysAllocString(reinterpret_cast<const OLECHAR*>(text)));
}

void SysFreeString(Bstr text) { ::SysFreeString(reinterpret_cast<BSTR>(text)); }

}  // namespace platform
