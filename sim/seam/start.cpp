#include "sim/seam/start.h"

#include "sim/core/handles.h"

namespace sim {

void StartSeam(const Machine& machine) {
  ResetHandles();
  ResetRegistryKeys();
  ResetSetupApi();
  ResetCom();
  ResetModules();
  ResetCommandLine();

  RegisterKernel32(machine);
  RegisterWmiClasses(machine);
  RegisterIntelCui(machine);
  RegisterAmdLibrary(machine);
  RegisterNvidiaLibrary(machine);
}

}  // namespace sim
