// The exported AUX functions on the NVIDIA back-end, over an NVIDIA library
// whose display answers may be anything and whose AUX calls and bus may
// fail. Opening selects the panel's eDP display or nothing, never another;
// the answer is 0, -1 or -2 as the record deserves; not a byte outside the
// caller's buffer is touched; a channel without faults carries exactly the
// panel's bytes both ways, and so does every success the library did not
// fake; and whatever happened, the program's end leaves the back-end with
// nothing initialised.
#include <vector>

#include "tconprobe/dpaux/aux_control.h"
#include "tconprobe/dpaux/nvidia_backend.h"
#include "tests/fuzz/aux_fuzz.h"

namespace {

using namespace aux_fuzz;

// A DisplayPort monitor, the panel on eDP, and a third connector; only the
// panel's display reaches the TCON.
constexpr char kMachine[] = R"({
  "nvidiaGpu": {"gpus": [{"handle": "0x100", "displays": [
    {"id": "0x11", "connector": 70, "handle": "0x21", "panel": false},
    {"id": "0x12", "connector": 71, "handle": "0x22"},
    {"id": "0x13", "connector": 72, "handle": "0x23", "panel": false}]}]},
  "panel": {"tcon": {"address": "0xC2"}, "mcu": {"address": "0xC4"}}})";
constexpr std::int32_t kNvidia = 2;
constexpr std::uint32_t kConnectors[] = {70, 71, 72, 0};

std::int32_t NonZero(FuzzInput& input) {
  const auto status = static_cast<std::int32_t>(Number(input, 4));
  return status == 0 ? -1 : status;
}

void Reset(sim::Machine& machine) {
  sim::nvidia::Library& library = *machine.nvidiaGpu;
  library.failures = {};
  library.reportedDisplayCount.reset();
  library.listedDisplayCount.reset();
  library.auxFaults.clear();
  library.auxTransactions = 0;
  library.gpus[0].handle = 0x100;
  for (std::size_t i = 0; i < library.gpus[0].displays.size(); ++i) {
    sim::nvidia::Display& display = library.gpus[0].displays[i];
    display.connector = kConnectors[i];
    display.connected = true;
    display.handle = 0x21 + static_cast<std::uint32_t>(i);
    display.connectorInfoStatus = display.handleStatus = 0;
  }
  machine.panel.open = {};
  machine.panel.faults.clear();
  machine.panel.transactions = 0;
}

// Lies of the selection calls, drawn from the input.
void InjectSelectionLies(FuzzInput& input, sim::nvidia::Library& library) {
  const std::uint8_t which = input.Byte();
  if (which & 1) library.failures.initialize = NonZero(input);
  if (which & 2) library.failures.enumPhysicalGpus = NonZero(input);
  if (which & 4) library.failures.displayCount = NonZero(input);
  if (which & 8) library.failures.displayList = NonZero(input);
  if (which & 16) library.reportedDisplayCount = which & 32 ? Number(input, 4) : input.Byte() % 6;
  if (which & 64) library.listedDisplayCount = input.Byte() & 1 ? Number(input, 4) : input.Byte() % 6;
  if (which & 128) {
    for (sim::nvidia::Display& display : library.gpus[0].displays) {
      const std::uint8_t lie = input.Byte();
      if (lie & 1) display.connectorInfoStatus = NonZero(input);
      if (lie & 2) display.handleStatus = NonZero(input);
      if (lie & 4) display.connected = false;
      display.connector = kConnectors[(lie >> 3) & 3];
      if (lie & 32) display.handle = 0;
    }
  }
  const std::uint8_t more = input.Byte();
  if (more & 1) library.gpus[0].handle = 0;
  if (more & 2) library.failures.unload = NonZero(input);
}

// Opening for eDP selects a connected display with the eDP connector, by
// its own handle, or fails.
void Select(FuzzInput& input, sim::Machine& machine) {
  InjectSelectionLies(input, *machine.nvidiaGpu);
  dpaux::KSXAUX_OPEN_PARAM open{16, kNvidia, kEdp, 0};
  if (KSXAUX_OpenDll(&open) != 0) return;
  int selected = 0;
  for (const sim::nvidia::Display& display : machine.nvidiaGpu->gpus[0].displays) {
    if (display.id != dpaux::nvidiaControl.displayId) continue;
    ++selected;
    FUZZ_CHECK(display.connected && display.connector == 71);
    FUZZ_CHECK(display.handle != 0 && dpaux::nvidiaControl.displayHandle == display.handle);
  }
  FUZZ_CHECK(selected == 1);
  dpaux::KSXAUX_CLOSE_PARAM close{4};
  FUZZ_CHECK(KSXAUX_CloseDll(&close) == 0);
}

// AUX call and bus faults; true when a call may be answered as done
// without reaching the bus.
bool InjectAuxFaults(FuzzInput& input, sim::Machine& machine, bool* any) {
  const std::uint8_t choice = input.Byte();
  *any = (choice & 7) != 0;
  bool fakes = false;
  if (choice & 1) {
    sim::nvidia::AuxFault fault{1u + input.Byte() % 8, input.Byte() % 4u, NonZero(input), {}};
    if (choice & 8) fault.status = 0;  // done, without the bus
    fakes = (choice & 8) != 0;
    machine.nvidiaGpu->auxFaults.push_back(fault);
  }
  if (choice & 2) {
    machine.nvidiaGpu->auxFaults.push_back(
        sim::nvidia::AuxFault{1u + input.Byte() % 8, input.Byte() % 4u, {}, input.Byte() % 20u});
  }
  if (choice & 4) machine.panel.faults.push_back(BusFault(input));
  return fakes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sim::Machine& machine = MachineOnce(kMachine);
  FuzzInput input(data, size);
  Reset(machine);
  if (input.Byte() & 1) {
    Select(input, machine);
  } else {
    const Request r = DrawRequest(input);
    bool faulty = false;
    const bool fakes = InjectAuxFaults(input, machine, &faulty);
    FillPattern(machine, r);
    std::vector<std::uint8_t> buffer = GuardedBuffer(r, input.Bytes(r.length));
    const std::vector<std::uint8_t> sent(buffer.begin(), buffer.begin() + r.length);
    const std::int32_t result = Transfer(kNvidia, r, buffer);
    // Native transfers of any length and the TCON's registers behind a
    // two-byte offset: a miscounted read fails rather than lie.
    const bool tconOffset = !r.native && r.device == kTcon && r.mode == 1;
    if (r.length != 0 && (r.native || tconOffset)) {
      if (!faulty) FUZZ_CHECK(result == 0);
      if (result == 0 && !fakes) CheckCarried(machine, r, buffer, sent);
    }
  }
  dpaux::auxControl.ProgramEnd();
  FUZZ_CHECK(dpaux::nvidiaControl.initialised == 0);
  return 0;
}
