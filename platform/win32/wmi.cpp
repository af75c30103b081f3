#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wbemidl.h>

#include "platform/wmi.h"

namespace platform {
namespace {

template <typename Interface>
Interface* As(ComObject object) {
  return reinterpret_cast<Interface*>(object);
}

template <typename Interface>
ComObject Handle(Interface* pointer) {
  return reinterpret_cast<ComObject>(pointer);
}

// A BSTR for the length of one call.
class ScopedBstr {
 public:
  explicit ScopedBstr(const char16_t* text) : text_(::SysAllocString(reinterpret_cast<const OLECHAR*>(text))) {}
  ~ScopedBstr() { ::SysFreeString(text_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  BSTR get() const { return text_; }

 private:
  BSTR text_;
};

}  // namespace

HResult WbemConnectServer(ComObject locator, const char16_t* nameSpace, ComObject* services) {
  IWbemServices* pointer = nullptr;
  const ScopedBstr space(nameSpace);
  const HRESULT result = As<IWbemLocator>(locator)->ConnectServer(space.get(), nullptr, nullptr, nullptr,
                                                                 0, nullptr, nullptr, &pointer);
  *services = Handle(pointer);
  return result;
}

HResult SetWbemProxyBlanket(ComObject services) {
  return ::CoSetProxyBlanket(As<IUnknown>(services), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                             RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
}

HResult WbemExecQuery(ComObject services, const char16_t* language, const char16_t* query,
                      std::int32_t flags, ComObject* enumerator) {
  IEnumWbemClassObject* pointer = nullptr;
  const ScopedBstr languageText(language), queryText(query);
  const HRESULT result = As<IWbemServices>(services)->ExecQuery(languageText.get(), queryText.get(),
                                                               flags, nullptr, &pointer);
  *enumerator = Handle(pointer);
  return result;
}

HResult WbemNext(ComObject enumerator, std::int32_t timeout, ComObject* object,
                 std::uint32_t* returned) {
  IWbemClassObject* pointer = nullptr;
  ULONG count = 0;
  const HRESULT result = As<IEnumWbemClassObject>(enumerator)->Next(timeout, 1, &pointer, &count);
  *object = Handle(pointer);
  *returned = count;
  return result;
}

HResult WbemGet(ComObject object, const char16_t* name, PropertyValue* value) {
  VARIANT variant;
  ::VariantInit(&variant);
  const HRESULT result = As<IWbemClassObject>(object)->Get(reinterpret_cast<LPCWSTR>(name), 0,
                                                          &variant, nullptr, nullptr);
  *value = PropertyValue{};
  if (SUCCEEDED(result)) {
    if (variant.vt == VT_BSTR) {
      value->kind = VariantKind::String;
      if (variant.bstrVal != nullptr) {
        const auto* text = reinterpret_cast<const char16_t*>(variant.bstrVal);
        value->text.assign(text, ::SysStringLen(variant.bstrVal));
      }
    } else {
      value->kind = variant.vt == VT_NULL ? VariantKind::Null
                    : variant.vt == VT_EMPTY ? VariantKind::Empty
                                             : VariantKind::Other;
    }
  }
  ::VariantClear(&variant);
  return result;
}

}  // namespace platform
