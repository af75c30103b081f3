// "NvidiaAPI.dll" of the simulated machine: the library's functions over the
// machine's NVIDIA model and panel, registered under the library's name when
// the machine has an NVIDIA GPU, without the names the machine says it
// lacks. Every call and every bus transaction is traced; each transaction
// costs its simulated time.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/nvidia_api.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"
#include "sim/seam/aux_trace.h"
#include "sim/seam/services.h"
#include "sim/seam/start.h"

namespace sim {
namespace {

namespace api = platform::nvidia_api;
using api::Status;

// Only reached through a registered library, so the machine has the model.
nvidia::Library& Library() { return *CurrentMachine().nvidiaGpu; }

void TraceCall(const std::string& call, Status status, const std::string& after = "") {
  Trace("nvidia." + call + " -> " + std::to_string(status) +
        (status == nvidia::kOk && !after.empty() ? " " + after : ""));
}

Status PLATFORM_STDCALL Initialize() {
  const Status status = nvidia::Initialize(Library());
  TraceCall("NvInitialize", status);
  return status;
}

Status PLATFORM_STDCALL Unload() {
  const Status status = nvidia::Unload(Library());
  TraceCall("NvUnload", status);
  return status;
}

Status PLATFORM_STDCALL EnumPhysicalGpus(std::uint32_t* handles, std::uint32_t* count) {
  const Status status = nvidia::EnumPhysicalGpus(Library(), handles, count);
  TraceCall("NvEnumPhysicalGPUs", status,
            status == nvidia::kOk ? "count=" + std::to_string(*count) +
                                        (*count > 0 ? " first=" + HexNumber(handles[0]) : "")
                                  : "");
  return status;
}

Status PLATFORM_STDCALL GetConnectedDisplayIds(std::uint32_t gpu, api::DisplayIdEntry* list,
                                               std::uint32_t* count, std::uint32_t) {
  const std::string offered =
      list == nullptr ? "null" : count == nullptr ? "?" : std::to_string(*count);
  const Status status = nvidia::GetConnectedDisplayIds(Library(), gpu, list, count);
  TraceCall("NvGPU_GetConnectedDisplayIds gpu=" + HexNumber(gpu) + " list=" + offered, status,
            status == nvidia::kOk ? "count=" + std::to_string(*count) : "");
  return status;
}

Status PLATFORM_STDCALL GetConnectorInfo(std::uint32_t gpu, std::uint32_t displayId,
                                         api::ConnectorInfo* info) {
  const Status status = nvidia::GetConnectorInfo(Library(), gpu, displayId, info);
  TraceCall("NvGPU_GetConnectorInfo gpu=" + HexNumber(gpu) + " id=" + HexNumber(displayId),
            status,
            status == nvidia::kOk ? "connector=" + std::to_string(info->connectorType) : "");
  return status;
}

Status PLATFORM_STDCALL GetDisplayHandle(std::uint32_t displayId, std::uint32_t* handle) {
  const Status status = nvidia::GetDisplayHandle(Library(), displayId, handle);
  TraceCall("NvDISP_GetDisplayHandleFromDisplayId id=" + HexNumber(displayId), status,
            status == nvidia::kOk ? "handle=" + HexNumber(*handle) : "");
  return status;
}

Status PLATFORM_STDCALL DpAuxChannelControl(std::uint32_t display, api::AuxRecord* record,
                                            std::uint32_t) {
  std::string call = "NvDisp_DpAuxChannelControl handle=" + HexNumber(display);
  if (record != nullptr) {
    call += " id=" + HexNumber(record->displayId) + " command=" + std::to_string(record->command) +
            " address=" + HexNumber(record->address) +
            " count=" + std::to_string(record->countMinusOne + 1u);
  }
  Machine& machine = CurrentMachine();
  const nvidia::AuxAnswer answer = nvidia::DpAuxChannelControl(
      *machine.nvidiaGpu, machine.panel, machine.clock.microseconds, display, record);
  if (answer.busUsed) RecordAuxTransaction(answer.request, answer.bus);
  TraceCall(call, answer.status,
            answer.status == nvidia::kOk ? "count=" + std::to_string(record->countMinusOne + 1u)
                                         : "");
  return answer.status;
}

// The names that are bound but never called answer that they are not there.
template <int position>
Status PLATFORM_STDCALL NotCalled() {
  TraceCall(api::kFunctionNames[position], nvidia::kNotImplemented);
  return nvidia::kNotImplemented;
}

template <int... positions>
std::vector<ModuleFunction> AllFunctions(std::integer_sequence<int, positions...>) {
  std::vector<ModuleFunction> functions{
      ExportFunction(api::kFunctionNames[positions], NotCalled<positions>)...};
  const auto set = [&functions](int position, ModuleFunction function) {
    functions[position] = function;
  };
  set(api::kInitialize, ExportFunction(api::kFunctionNames[api::kInitialize], Initialize));
  set(api::kUnload, ExportFunction(api::kFunctionNames[api::kUnload], Unload));
  set(api::kEnumPhysicalGpus,
      ExportFunction(api::kFunctionNames[api::kEnumPhysicalGpus], EnumPhysicalGpus));
  set(api::kGetConnectedDisplayIds, ExportFunction(api::kFunctionNames[api::kGetConnectedDisplayIds],
                                                   GetConnectedDisplayIds));
  set(api::kGetConnectorInfo,
      ExportFunction(api::kFunctionNames[api::kGetConnectorInfo], GetConnectorInfo));
  set(api::kGetDisplayHandleFromDisplayId,
      ExportFunction(api::kFunctionNames[api::kGetDisplayHandleFromDisplayId], GetDisplayHandle));
  set(api::kDpAuxChannelControl,
      ExportFunction(api::kFunctionNames[api::kDpAuxChannelControl], DpAuxChannelControl));
  return functions;
}

}  // namespace

void RegisterNvidiaLibrary(const Machine& machine) {
  if (!machine.nvidiaGpu) return;
  std::vector<ModuleFunction> functions =
      AllFunctions(std::make_integer_sequence<int, api::kFunctionCount>{});
  const std::vector<std::string>& missing = machine.nvidiaGpu->missingNames;
  std::erase_if(functions, [&missing](const ModuleFunction& function) {
    return std::find(missing.begin(), missing.end(), function.name) != missing.end();
  });
  RegisterModule(api::kLibraryName, std::move(functions));
}

}  // namespace sim
