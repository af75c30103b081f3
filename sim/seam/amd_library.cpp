// The AMD Display Library of the simulated machine: each library file the
// machine has registers as a library exporting the names it keeps; every
// function answers from the machine's library model and panel. Every call
// and every bus transaction is traced; each transaction costs its
// simulated time.
#include <cstring>
#include <string>
#include <vector>

#include "platform/amd_adl.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"
#include "sim/seam/aux_trace.h"
#include "sim/seam/services.h"
#include "sim/seam/start.h"

namespace sim {
namespace {

namespace api = platform::adl;

// The allocation callback the program handed to ADL_Main_Control_Create;
// display lists are allocated through it and freed by the program.
api::MallocCallback allocate = nullptr;

std::int32_t Traced(const std::string& call, std::int32_t result, const std::string& after = "") {
  Trace("adl." + call + " -> " + std::to_string(result) + after);
  return result;
}

amd::Adl* Library() {
  Machine& machine = CurrentMachine();
  return machine.amdGpu ? &*machine.amdGpu : nullptr;
}

// Runs a bus-carrying call on the model with the machine's clock, tracing
// each transaction before the call's own line.
template <typename Call>
amd::CallAnswer OnTheBus(Call call) {
  Machine& machine = CurrentMachine();
  amd::BusClock clock{machine.clock.microseconds, machine.clock.auxTransactionMicroseconds};
  const amd::CallAnswer answer = call(*machine.amdGpu, machine.panel, clock);
  machine.clock.microseconds = clock.now;
  for (const amd::BusExchange& exchange : answer.bus)
    Trace(AuxTraceLine(exchange.request, exchange.answer));
  return answer;
}

std::int32_t MainControlCreate(api::MallocCallback callback, std::int32_t connectedOnly) {
  allocate = callback;
  const std::int32_t result =
      callback == nullptr ? api::kError : amd::MainControlCreate(*Library());
  return Traced("ADL_Main_Control_Create connected=" + std::to_string(connectedOnly), result);
}

std::int32_t MainControlDestroy() {
  allocate = nullptr;
  return Traced("ADL_Main_Control_Destroy", amd::MainControlDestroy(*Library()));
}

std::int32_t NumberOfAdaptersGet(std::int32_t* count) {
  if (count == nullptr) return Traced("ADL_Adapter_NumberOfAdapters_Get", api::kError);
  *count = amd::NumberOfAdapters(*Library());
  return Traced("ADL_Adapter_NumberOfAdapters_Get", api::kOk, " count=" + std::to_string(*count));
}

std::int32_t AdapterInfoGet(std::uint8_t* records, std::int32_t bytes) {
  return Traced("ADL_Adapter_AdapterInfo_Get size=" + std::to_string(bytes),
                amd::AdapterInfo(*Library(), records, bytes));
}

std::int32_t AdapterActiveGet(std::int32_t adapter, std::int32_t* active) {
  const std::string call = "ADL_Adapter_Active_Get adapter=" + std::to_string(adapter);
  const amd::ActiveAnswer answer = amd::AdapterActive(*Library(), adapter);
  if (active == nullptr || answer.result != api::kOk) return Traced(call, api::kError);
  *active = answer.active;
  return Traced(call, api::kOk, " active=" + std::to_string(answer.active));
}

std::int32_t DisplayInfoGet(std::int32_t adapter, std::int32_t* count, std::uint8_t** list,
                            std::int32_t forceDetect) {
  const std::string call = "ADL_Display_DisplayInfo_Get adapter=" + std::to_string(adapter) +
                           " force=" + std::to_string(forceDetect);
  const amd::DisplayListAnswer answer = amd::DisplayList(*Library(), adapter);
  if (count == nullptr || list == nullptr || answer.result != api::kOk || allocate == nullptr)
    return Traced(call, api::kError);
  std::uint8_t* records = nullptr;
  if (!answer.records.empty()) {
    records = static_cast<std::uint8_t*>(allocate(static_cast<std::int32_t>(answer.records.size())));
    if (records == nullptr) return Traced(call, api::kError, " (allocation failed)");
    std::memcpy(records, answer.records.data(), answer.records.size());
  }
  *list = records;
  *count = answer.count;
  return Traced(call, api::kOk,
                " count=" + std::to_string(answer.count) +
                    " records=" + std::to_string(answer.records.size() / api::kDisplayInfoSize));
}

std::int32_t NativeAuxChannelAccess(std::int32_t adapter, std::int32_t display,
                                    std::uint8_t* record) {
  std::string call = "ADL_Display_NativeAUXChannel_Access adapter=" + std::to_string(adapter) +
                     " display=" + std::to_string(display);
  if (record == nullptr) return Traced(call, api::kError);
  std::int32_t word[5];
  std::memcpy(word, record, sizeof word);
  call += std::string(word[2] != 0 ? " write" : " read") + " address=" +
          HexNumber(static_cast<std::uint32_t>(word[3])) + " count=" + std::to_string(word[4]);
  const amd::CallAnswer answer = OnTheBus([&](amd::Adl& adl, panel::Panel& panel, amd::BusClock& clock) {
    return amd::NativeAux(adl, panel, clock, adapter, display, record);
  });
  std::int32_t countAfter = 0;
  std::memcpy(&countAfter, record + api::kNativeCountAt, 4);
  return Traced(call, answer.result, " count=" + std::to_string(countAfter));
}

std::int32_t DdcBlockAccessGet(std::int32_t adapter, std::int32_t display, std::int32_t option,
                               std::int32_t command, std::int32_t sendLength, std::uint8_t* send,
                               std::int32_t* receiveLength, std::uint8_t* receive) {
  std::string call = "ADL_Display_DDCBlockAccess_Get adapter=" + std::to_string(adapter) +
                     " display=" + std::to_string(display) + " option=" + std::to_string(option) +
                     " command=" + std::to_string(command);
  if (send != nullptr && sendLength > 0)
    call += " send=" + ToHex(std::vector<std::uint8_t>(send, send + sendLength));
  if (receiveLength != nullptr) call += " receive=" + std::to_string(*receiveLength);
  const amd::CallAnswer answer = OnTheBus([&](amd::Adl& adl, panel::Panel& panel, amd::BusClock& clock) {
    return amd::DdcBlockAccess(adl, panel, clock, adapter, display, option, send, sendLength,
                               receiveLength, receive);
  });
  return Traced(call, answer.result,
                receiveLength != nullptr ? " received=" + std::to_string(*receiveLength) : "");
}

// The names that are bound but never called answer failure.
std::int32_t NotCalled() { return Traced("unexpected call", api::kError); }

ModuleFunction Implementation(int function) {
  const char* name = api::kFunctionNames[function];
  switch (function) {
    case api::kMainControlCreate: return ExportFunction(name, MainControlCreate);
    case api::kMainControlDestroy: return ExportFunction(name, MainControlDestroy);
    case api::kNumberOfAdaptersGet: return ExportFunction(name, NumberOfAdaptersGet);
    case api::kAdapterInfoGet: return ExportFunction(name, AdapterInfoGet);
    case api::kDisplayInfoGet: return ExportFunction(name, DisplayInfoGet);
    case api::kAdapterActiveGet: return ExportFunction(name, AdapterActiveGet);
    case api::kNativeAuxChannelAccess: return ExportFunction(name, NativeAuxChannelAccess);
    case api::kDdcBlockAccessGet: return ExportFunction(name, DdcBlockAccessGet);
    default: return ExportFunction(name, NotCalled);
  }
}

}  // namespace

void RegisterAmdLibrary(const Machine& machine) {
  allocate = nullptr;
  if (!machine.amdGpu) return;
  std::vector<ModuleFunction> functions;
  for (int i = 0; i < api::kFunctionCount; ++i) {
    if (amd::Exports(*machine.amdGpu, api::kFunctionNames[i])) functions.push_back(Implementation(i));
  }
  for (const std::string& file : machine.amdGpu->libraries) RegisterModule(file, functions);
}

}  // namespace sim
