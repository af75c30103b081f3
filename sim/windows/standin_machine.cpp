#include "sim/windows/standin_machine.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/core/json_reader.h"
#include "common/ascii_case.h"
#include "platform/amd_adl.h"
#include "platform/nvidia_api.h"
#include "sim/models/gpu/amd/adl_file.h"
#include "sim/models/gpu/intel/cui_file.h"
#include "sim/models/gpu/nvidia/nvidia_file.h"
#include "sim/models/panel/panel_file.h"

namespace standin {
namespace {

// A machine file is a few kilobytes; a ROM image written out byte by byte
// stays far below this.
constexpr long kMachineFileLimit = 64L * 1024 * 1024;

Machine* machine = nullptr;
LARGE_INTEGER started, frequency;

[[noreturn]] void Refuse(const std::string& file, const std::string& problem) {
  const std::string text = "standin_machine: " + file + ": " + problem + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
            nullptr);
  ExitProcess(125);
}

std::string ReadWhole(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) Refuse(path, "cannot be opened");
  std::string text;
  char piece[65536];
  std::size_t got = 0;
  while ((got = std::fread(piece, 1, sizeof piece, file)) > 0) {
    text.append(piece, got);
    if (static_cast<long>(text.size()) > kMachineFileLimit) Refuse(path, "is too large");
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) Refuse(path, "cannot be read");
  return text;
}

void Load(const char* path, Machine& into) {
  const sim::Json document = sim::Json::parse(ReadWhole(path), nullptr, false);
  if (document.is_discarded() || !document.is_object()) Refuse(path, "is not a JSON object");
  std::string error;
  for (const auto& [key, value] : document.items()) {
    bool loaded = true;
    if (key == "panel") loaded = sim::LoadPanelSection(value, into.panel, &error);
    else if (key == "intelGpu") loaded = sim::LoadIntelGpuSection(value, into.intelGpu, &error);
    else if (key == "nvidiaGpu") loaded = sim::LoadNvidiaGpuSection(value, into.nvidiaGpu, &error);
    else if (key == "amdGpu") loaded = sim::LoadAmdGpuSection(value, into.amdGpu, &error);
    if (!loaded) Refuse(path, error);
  }
}

}  // namespace

Machine& TheMachine() {
  if (machine == nullptr) {
    machine = new Machine;
    const char* path = std::getenv("INVSIM_MACHINE");
    if (path != nullptr && *path != '\0') Load(path, *machine);
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
  }
  return *machine;
}

std::uint64_t Now() {
  (void)TheMachine();  // starts the clock
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const auto ticks = static_cast<std::uint64_t>(now.QuadPart - started.QuadPart);
  const auto perSecond = static_cast<std::uint64_t>(frequency.QuadPart);
  return ticks / perSecond * 1000000 + ticks % perSecond * 1000000 / perSecond;
}

}  // namespace standin

extern "C" int StandInLibraryPresent(const char* name) {
  namespace nv = platform::nvidia_api;
  namespace adl = platform::adl;
  const standin::Machine& machine = standin::TheMachine();
  const std::string file = name;
  if (common::SameIgnoringAsciiCase(file, nv::kLibraryName)) {
    return machine.nvidiaGpu && machine.nvidiaGpu->missingNames.empty();
  }
  if (!machine.amdGpu) return 0;
  bool present = false;
  for (const std::string& library : machine.amdGpu->libraries)
    present = present || common::SameIgnoringAsciiCase(file, library);
  for (int i = 0; i < adl::kRequiredFunctions; ++i)
    present = present && sim::amd::Exports(*machine.amdGpu, adl::kFunctionNames[i]);
  return present;
}
