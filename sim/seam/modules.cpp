// Libraries of the seam: LoadLibraryA, GetModuleHandleA, GetProcAddress and
// FreeLibrary answered from the libraries the machine's adapters registered.
#include <cstdint>
#include <string_view>

#include "common/ascii_case.h"
#include "platform/modules.h"
#include "platform/status.h"
#include "sim/core/handles.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"
#include "sim/seam/services.h"
#include "sim/seam/start.h"

namespace sim {
namespace {

struct LoadedModule {
  std::string name;
  std::vector<ModuleFunction> functions;
  bool resident = false;  // every process has it (kernel32)
  int loads = 0;
};

struct ModuleState {
  std::vector<LoadedModule> modules;
};

ModuleState& Modules() {
  static ModuleState state;
  return state;
}

// Handles are spaced like load addresses; 0 is no library.
constexpr platform::Module kFirstModule = 0x10000000;
constexpr platform::Module kModuleSpacing = 0x10000;

// "x", "x.dll", "X.DLL" and "C:\path\x.dll" all name library x.
std::string_view BaseName(std::string_view name) {
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  if (name.size() > 4 && common::SameIgnoringAsciiCase(name.substr(name.size() - 4), ".dll")) {
    name.remove_suffix(4);
  }
  return name;
}

LoadedModule* FindByName(const char* name, platform::Module* handle) {
  if (name == nullptr) return nullptr;
  std::vector<LoadedModule>& modules = Modules().modules;
  for (std::size_t i = 0; i < modules.size(); ++i) {
    if (common::SameIgnoringAsciiCase(BaseName(modules[i].name), BaseName(name))) {
      *handle = kFirstModule + i * kModuleSpacing;
      return &modules[i];
    }
  }
  return nullptr;
}

LoadedModule* FindByHandle(platform::Module handle) {
  std::vector<LoadedModule>& modules = Modules().modules;
  if (handle < kFirstModule || (handle - kFirstModule) % kModuleSpacing != 0) return nullptr;
  const std::size_t index = (handle - kFirstModule) / kModuleSpacing;
  if (index >= modules.size()) return nullptr;
  LoadedModule& module = modules[index];
  return module.resident || module.loads > 0 ? &module : nullptr;
}

platform::Module Answer(platform::Module handle, const std::string& line) {
  const platform::Status status = handle != 0 ? platform::kSuccess : platform::kErrorModNotFound;
  Trace(line + " -> " + std::to_string(status));
  if (handle == 0) SetLastError(status);
  return handle;
}

}  // namespace

void RegisterModule(const std::string& name, std::vector<ModuleFunction> functions,
                    bool loadedAtStart) {
  Modules().modules.push_back(LoadedModule{name, std::move(functions), loadedAtStart, 0});
}

void ResetModules() { Modules() = ModuleState{}; }

}  // namespace sim

namespace platform {

Module LoadLibraryA(const char* name) {
  Module handle = 0;
  sim::LoadedModule* module = sim::FindByName(name, &handle);
  if (module != nullptr) ++module->loads;
  return sim::Answer(handle, std::string("kernel32.LoadLibraryA ") + (name != nullptr ? name : ""));
}

Module GetModuleHandleA(const char* name) {
  Module handle = 0;
  sim::LoadedModule* module = sim::FindByName(name, &handle);
  if (module != nullptr && !module->resident && module->loads == 0) handle = 0;
  return sim::Answer(handle, std::string("kernel32.GetModuleHandleA ") + (name != nullptr ? name : ""));
}

ProcAddress GetProcAddress(Module module, const char* name) {
  // Names below 0x10000 are ordinals, which no simulated library exports.
  const bool isName = reinterpret_cast<std::uintptr_t>(name) >= 0x10000;
  const std::string shown = isName ? name : "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name));
  const sim::LoadedModule* loaded = sim::FindByHandle(module);
  ProcAddress found = nullptr;
  for (std::size_t i = 0; isName && loaded != nullptr && i < loaded->functions.size(); ++i) {
    if (std::string_view(loaded->functions[i].name) == name) found = loaded->functions[i].address;
  }
  sim::Trace("kernel32.GetProcAddress " + shown + " -> " + (found != nullptr ? "found" : "missing"));
  if (found == nullptr) sim::SetLastError(loaded == nullptr ? kErrorInvalidHandle : kErrorProcNotFound);
  return found;
}

void FreeLibrary(Module module) {
  sim::LoadedModule* loaded = sim::FindByHandle(module);
  const bool freed = loaded != nullptr && loaded->loads > 0;
  if (freed) --loaded->loads;
  sim::Trace("kernel32.FreeLibrary " + (loaded != nullptr ? loaded->name : sim::HexNumber(static_cast<std::uint32_t>(module))) +
             " -> " + std::to_string(freed ? kSuccess : kErrorInvalidHandle));
  if (!freed) sim::SetLastError(kErrorInvalidHandle);
}

}  // namespace platform
