#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/status.h"
#include "sim/models/devices/devices.h"
#include "sim/models/gpu/amd/adl.h"
#include "sim/models/gpu/intel/cui.h"
#include "sim/models/gpu/nvidia/nvidia_library.h"
#include "sim/models/installer/products.h"
#include "sim/models/panel/panel.h"
#include "sim/models/registry/registry_store.h"
#include "sim/models/storage/disks.h"
#include "sim/models/storage/rst_controller.h"
#include "sim/models/volume/free_space.h"
#include "sim/models/wmi/wmi_model.h"

// The simulated client PC that the native build's seam answers from.
namespace sim {

enum class Wow64Api { Present, Missing, Fails };

// Simulated time passes only when a program sleeps or a bus transaction
// takes its time, so waits and time-outs are exact and repeatable.
struct SimClock {
  std::uint64_t microseconds = 0;  // since the run started
  std::uint32_t tickCountAtStart = 0;
  std::uint32_t auxTransactionMicroseconds = 100;
};

struct PowerSupply {
  std::uint8_t acLineStatus = 1;  // 0 offline, 1 online, 255 unknown
  bool fails = false;             // GetSystemPowerStatus fails
};

struct Machine {
  bool windows64 = true;
  Wow64Api wow64Api = Wow64Api::Present;
  bool administrator = true;
  bool parentConsole = true;  // the program's parent has a console to attach to
  std::optional<platform::LocalTime> localTime;  // the real clock when unset
  std::string driveC;                            // the folder that stands for C:\ .
  std::string tracePath;                         // empty: no trace
  RegistryStore registry;
  std::vector<Device> devices;
  DiskList diskList;
  RstControllers rst;
  WmiModel wmi;
  std::vector<InstalledProduct> installerProducts;
  SimClock clock;
  PowerSupply power;
  panel::Panel panel;
  std::optional<intel::Cui> intelGpu;  // none: no CUI object is registered
  std::optional<amd::Adl> amdGpu;      // none: no AMD library is registered
  std::optional<nvidia::Library> nvidiaGpu;  // none: no NVIDIA library to load
  FreeSpace volume;
};

struct MessageBoxRecord {
  std::u16string text;
  std::u16string caption;
  std::uint32_t type = 0;
};

// What a run did that a test may look at.
struct RunRecord {
  bool captureStdout = false;  // keep standard output here instead of printing it
  std::string stdoutBytes;     // as they reached the stream (CR LF already made)
  std::vector<MessageBoxRecord> messageBoxes;  // each answered at once with OK
  std::vector<std::string> debugOutput;        // OutputDebugStringA texts, one per call
  bool consoleAttached = false;  // AttachConsole reached the parent's console
  bool stdoutClosed = false;     // reopening standard output failed: it takes nothing
};

Machine& CurrentMachine();
RunRecord& CurrentRun();
// A change that must reach the machine file when the run ends.
void MarkChanged();
bool HasChanges();

// Replaces the current machine: the built-in default, or parsed JSON text
// whose relative paths resolve against baseDir. Returns false and an error
// text on a machine file that is not valid.
void UseBuiltInMachine();
bool UseMachineText(const std::string& text, const std::string& baseDir, std::string* error);
// Loads INVSIM_MACHINE (or the built-in machine) and applies INVSIM_TRACE.
bool StartFromEnvironment(std::string* error);
// Saves a changed machine file (temporary file, then rename).
bool FinishRun(std::string* error);

}  // namespace sim
