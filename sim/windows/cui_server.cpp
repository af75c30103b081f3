// The in-process COM server of the Intel graphics driver's CUI class: a
// class factory and objects whose method table carries the CUI model's
// methods at their positions. Without an Intel GPU in the machine the
// factory creates nothing: the class stays registered in the prefix, and a
// factory that fails answers at once, where a class object refused would
// send COM on to look for a local server.
#include <windows.h>

#include <cstring>
#include <string_view>

#include "platform/intel_cui.h"
#include "sim/windows/standin_machine.h"

namespace standin {
namespace {

namespace api = platform::intel_cui;
using platform::ComInterface;
using platform::Guid;
using platform::HResult;

// An object is its interface pointer and its references; objects only
// share the machine.
struct CuiObject {
  ComInterface face;
  LONG references;
};

CuiObject* ObjectOf(ComInterface* self) { return reinterpret_cast<CuiObject*>(self); }

bool Same(const Guid* a, const Guid& b) { return *a == b; }

HResult QueryInterface(ComInterface* self, const Guid* interfaceId, void** out) {
  if (out == nullptr) return platform::kEPointer;
  *out = nullptr;
  if (interfaceId == nullptr) return platform::kEPointer;
  if (!Same(interfaceId, api::kInterfaceId) && !Same(interfaceId, platform::kIidUnknown))
    return platform::kENoInterface;
  InterlockedIncrement(&ObjectOf(self)->references);
  *out = self;
  return platform::kSOk;
}

ULONG AddRef(ComInterface* self) {
  return static_cast<ULONG>(InterlockedIncrement(&ObjectOf(self)->references));
}

ULONG Release(ComInterface* self) {
  const LONG left = InterlockedDecrement(&ObjectOf(self)->references);
  if (left == 0) delete ObjectOf(self);
  return static_cast<ULONG>(left);
}

HResult EnumAttachedDevices(ComInterface*, platform::Bstr display, std::uint32_t index,
                            std::uint32_t* id, std::uint32_t* type, std::uint32_t* status) {
  if (display == nullptr || id == nullptr || type == nullptr || status == nullptr)
    return platform::kEPointer;
  const sim::intel::EnumAnswer answer =
      sim::intel::EnumAttachedDevices(*TheMachine().intelGpu, std::u16string_view(display), index);
  if (answer.result == platform::kSOk) {
    *id = answer.id;
    *type = answer.type;
    *status = answer.status;
  }
  return answer.result;
}

HResult DataBlock(bool set, const Guid& block, std::uint32_t size, std::uint8_t* record,
                  std::uint32_t* error) {
  if (record == nullptr || error == nullptr) return platform::kEPointer;
  Machine& machine = TheMachine();
  const sim::intel::BlockAnswer answer =
      sim::intel::DataBlock(*machine.intelGpu, machine.panel, Now(), set, block, size, record);
  if (!platform::Failed(answer.result)) *error = answer.error;
  return answer.result;
}

HResult GetDataBlock(ComInterface*, Guid block, std::uint32_t size, std::uint8_t* record,
                     std::uint32_t* error) {
  return DataBlock(false, block, size, record, error);
}

HResult SetDataBlock(ComInterface*, Guid block, std::uint32_t size, std::uint8_t* record,
                     std::uint32_t* error) {
  return DataBlock(true, block, size, record, error);
}

HResult NotImplemented(ComInterface*) { return E_NOTIMPL; }

template <typename Method>
void* Entry(Method method) {
  return reinterpret_cast<void*>(method);
}

// Filled when the DLL is loaded, before any object exists.
struct MethodTable {
  void* entries[api::kMethodCount];
  MethodTable() {
    for (void*& entry : entries) entry = Entry(NotImplemented);
    entries[platform::kQueryInterfaceMethod] = Entry(QueryInterface);
    entries[platform::kAddRefMethod] = Entry(AddRef);
    entries[platform::kReleaseMethod] = Entry(Release);
    entries[api::kEnumAttachedDevices] = Entry(EnumAttachedDevices);
    entries[api::kGetDataBlock] = Entry(GetDataBlock);
    entries[api::kSetDataBlock] = Entry(SetDataBlock);
  }
};
const MethodTable methodTable;

// The class factory lives as long as the DLL; its references are not counted.
class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (interfaceId != IID_IUnknown && interfaceId != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID interfaceId, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (!TheMachine().intelGpu) return REGDB_E_CLASSNOTREG;
    auto* object = new CuiObject{{methodTable.entries}, 1};
    const HResult result =
        standin::QueryInterface(&object->face, reinterpret_cast<const Guid*>(&interfaceId), out);
    standin::Release(&object->face);
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};
Factory factory;

}  // namespace
}  // namespace standin

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID interfaceId,
                                                    void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (std::memcmp(&classId, &sim::intel::kCuiClassId, sizeof classId) != 0)
    return CLASS_E_CLASSNOTAVAILABLE;
  return standin::factory.QueryInterface(interfaceId, out);
}

// The machine keeps its panel's state for the whole process.
extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_FALSE; }
