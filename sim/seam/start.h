#pragma once

// What the seam does when a machine is loaded: every table of its calls
// starts empty, and the adapters register the machine's COM classes and
// libraries. A new table or adapter adds one line to StartSeam (start.cpp).
namespace sim {

struct Machine;

void StartSeam(const Machine& machine);

// Each seam file empties its own table.
void ResetRegistryKeys();
void ResetSetupApi();
void ResetCom();
void ResetModules();
void ResetCommandLine();

// The adapters: each registers what its model offers through COM or libraries.
void RegisterKernel32(const Machine& machine);
void RegisterWmiClasses(const Machine& machine);
void RegisterIntelCui(const Machine& machine);
void RegisterAmdLibrary(const Machine& machine);
void RegisterNvidiaLibrary(const Machine& machine);

}  // namespace sim
