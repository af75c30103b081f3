// The exported AUX functions on the AMD back-end with any request record,
// over an AMD library whose adapter and display answers may be anything
// and whose calls and bus may fail: the answer is 0, -1 or -2 as the record
// deserves, not a byte outside the caller's buffer is touched, a channel
// without faults carries exactly the panel's bytes both ways, and a
// success the library did not fake carries them too.
#include <vector>

#include "tconprobe/dpaux/aux_records.h"
#include "tests/fuzz/aux_fuzz.h"

namespace {

using namespace aux_fuzz;

// The panel hangs on the second adapter's eDP display; the first adapter
// has a monitor with nothing behind it, where a missed selection stays.
constexpr char kMachine[] = R"({
  "amdGpu": {"adapters": [
    {"index": 0, "displays": [{"index": 0, "connector": 10}]},
    {"index": 1, "displays": [{"index": 2, "connector": 16, "panel": true}]}]},
  "panel": {"tcon": {"address": "0xC2"}, "mcu": {"address": "0xC4"}}})";
constexpr std::int32_t kAmd = 3;

std::int32_t Signed(FuzzInput& input) { return static_cast<std::int32_t>(Number(input, 4)); }

void Reset(sim::Machine& machine) {
  sim::amd::Adl& adl = *machine.amdGpu;
  adl.adapterCount.reset();
  adl.adapterInfoFails = false;
  for (sim::amd::Adapter& adapter : adl.adapters) {
    adapter.active = true;
    adapter.displayListFails = false;
    adapter.displayCount.reset();
  }
  adl.ddcFaults.clear();
  adl.nativeFaults.clear();
  adl.ddcCalls = adl.nativeCalls = 0;
  machine.panel.open = {};
  machine.panel.faults.clear();
  machine.panel.transactions = 0;
}

sim::amd::CallFault CallFault(FuzzInput& input, bool count) {
  sim::amd::CallFault fault;
  fault.at = 1 + input.Byte() % 8;
  fault.times = input.Byte() % 4;
  if (count)
    fault.count = input.Byte() & 1 ? Signed(input) : input.Byte() % 20;
  else
    fault.result = input.Byte() & 1 ? Signed(input) : 0;
  return fault;
}

struct Faults {
  bool any = false;
  bool library = false;  // a call of the library may answer without the bus or miscount
};

// The library's and the bus's faults, drawn from the input.
Faults InjectFaults(FuzzInput& input, sim::Machine& machine) {
  Faults faults;
  const std::uint8_t choice = input.Byte();
  if ((choice & 1) == 0) return faults;
  faults.any = true;
  sim::amd::Adl& adl = *machine.amdGpu;
  if (choice & 2) {
    const std::uint8_t which = input.Byte();
    if (which & 1) adl.adapterCount = which & 2 ? Signed(input) : input.Byte() % 6 - 2;
    if (which & 4) adl.adapterInfoFails = true;
    sim::amd::Adapter& adapter = adl.adapters[(which >> 3) & 1];
    if (which & 16) adapter.displayListFails = true;
    if (which & 32) adapter.displayCount = which & 64 ? Signed(input) : input.Byte() % 6 - 2;
    if (which & 128) adapter.active = false;
  }
  if (choice & 4) {
    adl.ddcFaults.push_back(CallFault(input, (choice & 8) != 0));
    faults.library = true;
  }
  if (choice & 16) {
    adl.nativeFaults.push_back(CallFault(input, (choice & 32) != 0));
    faults.library = true;
  }
  if (choice & 64) machine.panel.faults.push_back(BusFault(input));
  return faults;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sim::Machine& machine = MachineOnce(kMachine);
  FuzzInput input(data, size);
  Reset(machine);
  const Request r = DrawRequest(input);
  const bool native = r.native;
  const std::uint32_t length = r.length;
  const Faults faults = InjectFaults(input, machine);
  FillPattern(machine, r);
  std::vector<std::uint8_t> buffer = GuardedBuffer(r, input.Bytes(length));
  const std::vector<std::uint8_t> sent(buffer.begin(), buffer.begin() + length);

  const std::int32_t result = Transfer(kAmd, r, buffer);
  if (length == 0) return 0;

  // What a sound channel must carry: native transfers of up to 16 bytes,
  // and reads and writes of the TCON's registers behind a two-byte offset.
  // Adapter answers and the bus can make a transfer fail, never lie; a
  // library call answered without the bus or miscounted can.
  const bool tconOffset = !native && r.device == kTcon && r.mode == 1;
  if (!faults.any && ((native && length <= 16) || tconOffset)) FUZZ_CHECK(result == 0);
  if (native && length > 16) FUZZ_CHECK(result == -1);
  if (result != 0 || faults.library || (!native && !tconOffset)) return 0;
  CheckCarried(machine, r, buffer, sent);
  return 0;
}
