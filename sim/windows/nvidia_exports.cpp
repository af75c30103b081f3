// The functions of "NvidiaAPI.dll" over the machine's NVIDIA model and
// panel. The ones that programs bind but never call answer that they are
// not implemented.
#include "platform/nvidia_api.h"
#include "sim/windows/standin_machine.h"

namespace {

namespace api = platform::nvidia_api;
using api::Status;

// Only reached through NvidiaAPI.dll, which loads only when the machine has the library.
sim::nvidia::Library& Library() { return *standin::TheMachine().nvidiaGpu; }

}  // namespace

extern "C" {

Status NvInitialize() { return sim::nvidia::Initialize(Library()); }

Status NvUnload() { return sim::nvidia::Unload(Library()); }

Status NvEnumPhysicalGPUs(std::uint32_t* handles, std::uint32_t* count) {
  return sim::nvidia::EnumPhysicalGpus(Library(), handles, count);
}

Status NvGPU_GetConnectedDisplayIds(std::uint32_t gpu, api::DisplayIdEntry* list, std::uint32_t* count,
                                    std::uint32_t) {
  return sim::nvidia::GetConnectedDisplayIds(Library(), gpu, list, count);
}

Status NvGPU_GetConnectorInfo(std::uint32_t gpu, std::uint32_t displayId, api::ConnectorInfo* info) {
  return sim::nvidia::GetConnectorInfo(Library(), gpu, displayId, info);
}

Status NvDISP_GetDisplayHandleFromDisplayId(std::uint32_t displayId, std::uint32_t* handle) {
  return sim::nvidia::GetDisplayHandle(Library(), displayId, handle);
}

Status NvDisp_DpAuxChannelControl(std::uint32_t display, api::AuxRecord* record, std::uint32_t) {
  standin::Machine& machine = standin::TheMachine();
  return sim::nvidia::DpAuxChannelControl(*machine.nvidiaGpu, machine.panel, standin::Now(), display,
                                          record)
      .status;
}

Status NvNotImplemented() { return sim::nvidia::kNotImplemented; }

}  // extern "C"
