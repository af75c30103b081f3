// The functions of the AMD Display Library over the machine's AMD model and
// panel. The library allocates the display lists it hands over with the
// callback the program gave at creation, as ADL does; the names that
// programs bind but never call answer failure.
#include <cstring>

#include "platform/amd_adl.h"
#include "sim/windows/standin_machine.h"

namespace {

namespace api = platform::adl;

// Only reached through an AMD library, which loads only when the machine has it.
sim::amd::Adl& Adl() { return *standin::TheMachine().amdGpu; }

api::MallocCallback allocate = nullptr;

// Real time passes on the bus by itself.
sim::amd::BusClock Clock() { return sim::amd::BusClock{standin::Now(), 0}; }

}  // namespace

extern "C" {

std::int32_t ADL_Main_Control_Create(api::MallocCallback callback, std::int32_t) {
  allocate = callback;
  return sim::amd::MainControlCreate(Adl());
}

std::int32_t ADL_Main_Control_Destroy() { return sim::amd::MainControlDestroy(Adl()); }

std::int32_t ADL_Adapter_NumberOfAdapters_Get(std::int32_t* count) {
  if (count == nullptr) return api::kError;
  *count = sim::amd::NumberOfAdapters(Adl());
  return api::kOk;
}

std::int32_t ADL_Adapter_AdapterInfo_Get(std::uint8_t* records, std::int32_t bytes) {
  return sim::amd::AdapterInfo(Adl(), records, bytes);
}

std::int32_t ADL_Adapter_Active_Get(std::int32_t adapter, std::int32_t* active) {
  if (active == nullptr) return api::kError;
  const sim::amd::ActiveAnswer answer = sim::amd::AdapterActive(Adl(), adapter);
  if (answer.result == api::kOk) *active = answer.active;
  return answer.result;
}

std::int32_t ADL_Display_DisplayInfo_Get(std::int32_t adapter, std::int32_t* count, std::uint8_t** list,
                                         std::int32_t) {
  if (count == nullptr || list == nullptr || allocate == nullptr) return api::kError;
  const sim::amd::DisplayListAnswer answer = sim::amd::DisplayList(Adl(), adapter);
  if (answer.result != api::kOk) return answer.result;
  auto* records = static_cast<std::uint8_t*>(allocate(static_cast<std::int32_t>(answer.records.size())));
  if (records == nullptr && !answer.records.empty()) return api::kError;
  if (!answer.records.empty()) std::memcpy(records, answer.records.data(), answer.records.size());
  *list = records;
  *count = answer.count;
  return api::kOk;
}

std::int32_t ADL_Display_NativeAUXChannel_Access(std::int32_t adapter, std::int32_t display,
                                                 std::uint8_t* record) {
  standin::Machine& machine = standin::TheMachine();
  sim::amd::BusClock clock = Clock();
  return sim::amd::NativeAux(*machine.amdGpu, machine.panel, clock, adapter, display, record).result;
}

std::int32_t ADL_Display_DDCBlockAccess_Get(std::int32_t adapter, std::int32_t display, std::int32_t option,
                                            std::int32_t, std::int32_t sendLength, std::uint8_t* send,
                                            std::int32_t* receiveLength, std::uint8_t* receive) {
  standin::Machine& machine = standin::TheMachine();
  sim::amd::BusClock clock = Clock();
  return sim::amd::DdcBlockAccess(*machine.amdGpu, machine.panel, clock, adapter, display, option, send,
                                  sendLength, receiveLength, receive)
      .result;
}

std::int32_t AdlNotImplemented() { return api::kError; }

}  // extern "C"
