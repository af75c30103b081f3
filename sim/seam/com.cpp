// The COM runtime of the seam: apartments, the classes the machine's
// adapters registered, the objects handed out and BSTRs.
#include <cstring>
#include <map>
#include <new>

#include "common/ascii_case.h"
#include "platform/com.h"
#include "sim/core/guid.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"
#include "sim/models/wmi/wmi_model.h"
#include "sim/seam/services.h"
#include "sim/seam/start.h"

namespace sim {
namespace {

struct ComClass {
  std::string name;
  std::u16string progId;
  platform::Guid classId;
  ComCreator create;
};

enum class Apartment { None, Single, Multi };

struct ComState {
  std::vector<ComClass> classes;
  std::map<const platform::ComInterface*, std::unique_ptr<SimulatedComObject>> objects;
  int initializations = 0;
  Apartment apartment = Apartment::None;
  bool securitySet = false;
};

ComState& Com() {
  static ComState state;
  return state;
}

platform::HResult Traced(platform::HResult result, const std::string& line) {
  Trace(line + " -> " + HexNumber(static_cast<std::uint32_t>(result)));
  return result;
}

// A failure the machine file injects into a step of the COM runtime.
bool Injected(const char* step, platform::HResult* result) {
  const WmiFault* fault = FindWmiFault(CurrentMachine().wmi, step, u"");
  if (fault != nullptr) *result = fault->result;
  return fault != nullptr;
}

platform::HResult Initialize(Apartment apartment, const std::string& line) {
  ComState& com = Com();
  if (com.initializations > 0 && com.apartment != apartment) {
    return Traced(platform::kRpcEChangedMode, line);
  }
  com.apartment = apartment;
  ++com.initializations;
  return Traced(com.initializations == 1 ? platform::kSOk : platform::kSFalse, line);
}

const ComClass* FindClass(const platform::Guid& classId) {
  for (const ComClass& entry : Com().classes) {
    if (entry.classId == classId) return &entry;
  }
  return nullptr;
}

}  // namespace

bool SimulatedComObject::Implements(const platform::Guid& interfaceId) const {
  return interfaceId == platform::kIidUnknown;
}

void RegisterComClass(const char* name, const char16_t* progId, const platform::Guid& classId,
                      ComCreator create) {
  Com().classes.push_back(ComClass{name, progId != nullptr ? progId : u"", classId, create});
}

platform::ComInterface* Publish(std::unique_ptr<SimulatedComObject> object) {
  platform::ComInterface* face = object->Interface();
  Com().objects[face] = std::move(object);
  return face;
}

SimulatedComObject* FindComObject(const platform::ComInterface* face) {
  auto it = Com().objects.find(face);
  return it == Com().objects.end() ? nullptr : it->second.get();
}

platform::HResult PLATFORM_STDCALL ComQueryInterface(platform::ComInterface* self,
                                                    const platform::Guid* interfaceId,
                                                    platform::ComInterface** object) {
  SimulatedComObject* found = FindComObject(self);
  if (found == nullptr || interfaceId == nullptr || object == nullptr) return platform::kEPointer;
  if (!found->Implements(*interfaceId) && !(*interfaceId == platform::kIidUnknown)) {
    *object = nullptr;
    return platform::kENoInterface;
  }
  ++found->references;
  *object = self;
  return platform::kSOk;
}

std::uint32_t PLATFORM_STDCALL ComAddRef(platform::ComInterface* self) {
  SimulatedComObject* found = FindComObject(self);
  return found != nullptr ? ++found->references : 0;
}

std::uint32_t PLATFORM_STDCALL ComRelease(platform::ComInterface* self) {
  SimulatedComObject* found = FindComObject(self);
  if (found == nullptr) return 0;
  const std::uint32_t left = --found->references;
  if (left == 0) Com().objects.erase(self);
  return left;
}

void* const* UnknownMethods() {
  static void* const methods[] = {MethodEntry(&ComQueryInterface), MethodEntry(&ComAddRef),
                                  MethodEntry(&ComRelease)};
  return methods;
}

int ComInitializations() { return Com().initializations; }
int LiveComObjects() { return static_cast<int>(Com().objects.size()); }

void ResetCom() { Com() = ComState{}; }

}  // namespace sim

namespace platform {

HResult CoInitializeApartment() { return sim::Initialize(sim::Apartment::Single, "com.CoInitialize STA"); }

HResult CoInitializeMultithreaded() {
  HResult result = kSOk;
  if (sim::Injected("CoInitializeEx", &result)) return sim::Traced(result, "com.CoInitializeEx MTA");
  return sim::Initialize(sim::Apartment::Multi, "com.CoInitializeEx MTA");
}

HResult CoInitializeSecurityDefault() {
  const std::string line = "com.CoInitializeSecurity";
  sim::ComState& com = sim::Com();
  if (com.initializations == 0) return sim::Traced(kCoENotInitialized, line);
  HResult result = kSOk;
  if (sim::Injected("CoInitializeSecurity", &result)) return sim::Traced(result, line);
  // Security is set once while COM stays loaded in the process.
  if (com.securitySet) return sim::Traced(kRpcETooLate, line);
  com.securitySet = true;
  return sim::Traced(kSOk, line);
}

void CoUninitialize() {
  sim::ComState& com = sim::Com();
  if (com.initializations > 0 && --com.initializations == 0) {
    com.securitySet = false;
    com.apartment = sim::Apartment::None;
  }
  sim::Trace("com.CoUninitialize live=" + std::to_string(com.objects.size()));
}

HResult CLSIDFromProgID(const char16_t* progId, Guid* classId) {
  const std::u16string name = progId != nullptr ? progId : u"";
  const std::string line = "com.CLSIDFromProgID " + sim::Utf16ToUtf8(name);
  if (progId == nullptr || classId == nullptr) return sim::Traced(kEPointer, line);
  for (const sim::ComClass& entry : sim::Com().classes) {
    if (!entry.progId.empty() && common::SameIgnoringAsciiCase(entry.progId, name)) {
      *classId = entry.classId;
      return sim::Traced(kSOk, line + " " + sim::GuidText(entry.classId));
    }
  }
  return sim::Traced(kCoEClassString, line);
}

HResult CoCreateInstance(const Guid& classId, std::uint32_t context, const Guid& interfaceId,
                         ComInterface** object) {
  const sim::ComClass* entry = sim::FindClass(classId);
  const std::string line =
      "com.CoCreateInstance " + (entry != nullptr ? entry->name : sim::GuidText(classId));
  if (object == nullptr) return sim::Traced(kEPointer, line);
  *object = nullptr;
  if (sim::Com().initializations == 0) return sim::Traced(kCoENotInitialized, line);
  // Every simulated class is an in-process server.
  if (entry == nullptr || (context & kClsctxInprocServer) == 0) {
    return sim::Traced(kRegdbEClassNotRegistered, line);
  }
  return sim::Traced(entry->create(interfaceId, object), line);
}

Bstr SysAllocString(const char16_t* text) {
  if (text == nullptr) return nullptr;
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  // The byte length sits in the two code units before the text.
  char16_t* block = new (std::nothrow) char16_t[length + 3];
  if (block == nullptr) return nullptr;
  const auto bytes = static_cast<std::uint32_t>(2 * length);
  std::memcpy(block, &bytes, sizeof bytes);
  std::memcpy(block + 2, text, 2 * (length + 1));
  return block + 2;
}

void SysFreeString(Bstr text) {
  if (text != nullptr) delete[] (text - 2);
}

}  // namespace platform
