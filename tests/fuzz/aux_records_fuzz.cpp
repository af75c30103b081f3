// The exported AUX functions with any request record, over a driver and a
// bus that may fail at any transaction: the answer is 0, -1 or -2 as the
// record deserves, the caller's record gets the request size it must, not
// a byte outside the caller's buffer is touched, and a channel without
// faults carries exactly the panel's bytes both ways.
#include <vector>

#include "tconprobe/dpaux/aux_records.h"
#include "tests/fuzz/aux_fuzz.h"

namespace {

using namespace aux_fuzz;

constexpr char kMachine[] = R"({
  "intelGpu": {"displays": [{"name": "\\\\.\\Display1", "devices": [{"id": "0x1001", "type": 2, "status": 0}]}]},
  "panel": {"tcon": {"address": "0xC2"}, "mcu": {"address": "0xC4"}}})";

// The driver's and the bus's faults, drawn from the input.
struct Faults {
  bool any = false;
  bool driverError = false;  // the driver may answer without reaching the bus
  bool driverCount = false;  // the driver may misreport how many bytes went
};

Faults InjectFaults(FuzzInput& input, sim::Machine& machine) {
  Faults faults;
  const std::uint8_t choice = input.Byte();
  if ((choice & 1) == 0) return faults;
  faults.any = true;
  if (choice & 2) {
    sim::intel::DriverFault fault;
    fault.at = 1 + input.Byte() % 8;
    fault.times = input.Byte() % 4;
    constexpr std::uint32_t kErrors[] = {0, 40, 69, 70, 71, 72, 1};
    if (choice & 4) fault.error = kErrors[input.Byte() % 7];
    if (choice & 8) fault.byteCount = Number(input, choice & 16 ? 4 : 1);
    faults.driverError = fault.error.has_value();
    faults.driverCount = fault.byteCount.has_value();
    machine.intelGpu->faults.push_back(fault);
  }
  if (choice & 32) machine.panel.faults.push_back(BusFault(input));
  return faults;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sim::Machine& machine = MachineOnce(kMachine);
  FuzzInput input(data, size);
  machine.panel.open = {};
  machine.panel.faults.clear();
  machine.intelGpu->faults.clear();
  const Request r = DrawRequest(input);
  const bool native = r.native, write = r.write;
  const std::uint32_t length = r.length;
  const Faults faults = InjectFaults(input, machine);
  FillPattern(machine, r);
  std::vector<std::uint8_t> buffer = GuardedBuffer(r, input.Bytes(length));
  const std::vector<std::uint8_t> sent(buffer.begin(), buffer.begin() + length);

  const std::int32_t result = Transfer(1, r, buffer);
  if (length == 0) return 0;

  // What a sound channel must carry: native transfers always, and reads and
  // writes of the TCON's registers behind a two-byte offset. Whatever the bus
  // refuses, a success has the panel's bytes, and so has a native read that
  // the driver miscounts (it names its address each time). A driver that
  // answers without the bus, or miscounts bytes that the device's own
  // pointer has passed, can make a success carry anything.
  const bool tconOffset = !native && r.device == kTcon && r.mode == 1;
  if (!faults.any && (native || (tconOffset && !write))) FUZZ_CHECK(result == 0);
  const bool trusted = !faults.driverError && !(faults.driverCount && (write || !native));
  if (result != 0 || !trusted || (!native && !tconOffset)) return 0;
  CheckCarried(machine, r, buffer, sent);
  return 0;
}
