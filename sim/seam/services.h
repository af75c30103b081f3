#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/modules.h"

// The simulated machine's COM classes and libraries. Each run starts with
// empty tables; the adapters of the models register what the machine has
// (see start.cpp), and the seam's COM and module calls answer from them.
namespace sim {

// What a registered class makes for CoCreateInstance: the object for the
// interface asked, or a failure such as kENoInterface.
using ComCreator = platform::HResult (*)(const platform::Guid& interfaceId,
                                         platform::ComInterface** object);

// name is what the trace shows; progId may be null when CLSIDFromProgID
// does not know the class.
void RegisterComClass(const char* name, const char16_t* progId, const platform::Guid& classId,
                      ComCreator create);

// A function that GetProcAddress finds in a registered library.
struct ModuleFunction {
  const char* name;
  platform::ProcAddress address;
};
// The one place where a simulated function becomes a table entry.
template <typename Function>
ModuleFunction ExportFunction(const char* name, Function function) {
  return ModuleFunction{name, reinterpret_cast<platform::ProcAddress>(function)};
}

// A library that LoadLibraryA finds by its name ("NvidiaAPI.dll"; the
// ".dll" may be left out, case does not matter). A library that every
// process has (kernel32) is loaded from the start, so GetModuleHandleA
// finds it too.
void RegisterModule(const std::string& name, std::vector<ModuleFunction> functions,
                    bool loadedAtStart = false);

// A COM object of the simulated machine. The program holds Interface(),
// whose method table starts with IUnknown's three methods; the object lives
// until its last Release.
class SimulatedComObject {
 public:
  explicit SimulatedComObject(void* const* methods) : face_{methods} {}
  virtual ~SimulatedComObject() = default;
  SimulatedComObject(const SimulatedComObject&) = delete;
  SimulatedComObject& operator=(const SimulatedComObject&) = delete;

  platform::ComInterface* Interface() { return &face_; }
  // Whether QueryInterface hands out this object for the interface id.
  virtual bool Implements(const platform::Guid& interfaceId) const;

  std::uint32_t references = 1;

 private:
  platform::ComInterface face_;
};

// Takes the object into the table of live objects and returns what the
// program holds.
platform::ComInterface* Publish(std::unique_ptr<SimulatedComObject> object);
// The live object behind an interface pointer; null for anything else.
SimulatedComObject* FindComObject(const platform::ComInterface* face);
template <typename Object>
Object* ComObjectOf(const platform::ComInterface* face) {
  return dynamic_cast<Object*>(FindComObject(face));
}

// IUnknown's methods, for the first three entries of a method table.
platform::HResult PLATFORM_STDCALL ComQueryInterface(platform::ComInterface* self,
                                                    const platform::Guid* interfaceId,
                                                    platform::ComInterface** object);
std::uint32_t PLATFORM_STDCALL ComAddRef(platform::ComInterface* self);
std::uint32_t PLATFORM_STDCALL ComRelease(platform::ComInterface* self);
// The one place where a simulated method becomes a method table entry.
template <typename Method>
void* MethodEntry(Method method) {
  return reinterpret_cast<void*>(method);
}
// A method table with IUnknown's methods only.
void* const* UnknownMethods();

// What the simulated COM runtime holds now, for tests that check that a
// program gives back everything it took.
int ComInitializations();
int LiveComObjects();

}  // namespace sim
