#pragma once
#include <cstdint>
#include <optional>

#include "sim/models/gpu/amd/adl.h"
#include "sim/models/gpu/intel/cui.h"
#include "sim/models/gpu/nvidia/nvidia_library.h"
#include "sim/models/panel/panel.h"

// The machine behind the Windows stand-ins: the panel and the GPU vendors'
// interfaces over it, read once per process from the machine file that
// INVSIM_MACHINE names (the same format as the simulated machine's; the
// sections of other models are left to it). Every stand-in of a process
// shares this one machine, as the vendors' libraries share one panel.
namespace standin {

struct Machine {
  sim::panel::Panel panel;
  std::optional<sim::intel::Cui> intelGpu;
  std::optional<sim::nvidia::Library> nvidiaGpu;
  std::optional<sim::amd::Adl> amdGpu;
};

// The process's machine, read on first use. Without INVSIM_MACHINE it has no
// GPU at all. A file that cannot be read or parsed ends the process with
// exit code 125 and says why on standard error, as the simulated machine does.
Machine& TheMachine();

// The panel's clock in microseconds: real time since the machine was read,
// since under Wine the program sleeps and polls in real time.
std::uint64_t Now();

}  // namespace standin

// Whether the machine has the vendor library of this name (case aside) with
// every name that binding requires; each vendor library asks when it is
// loaded and refuses to load otherwise. A library that lacks a required name
// fails binding the same way whether it loads or not; one that lacks only an
// optional name loads.
extern "C" int StandInLibraryPresent(const char* name);
