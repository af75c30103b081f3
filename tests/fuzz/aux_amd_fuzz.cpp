// The exported AUX functions on the AMD back-end with any request record,
// over an AMD library whose adapter and display answers may be anything
// and whose calls and bus may fail: the answer is 0, -1 or -2 as the record
// deserves, not a byte outside the caller's buffer is touched, a channel
// without faults carries exactly the panel's bytes both ways, and a
// success the library did not fake carries them too.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sim/core/machine.h"
#include "tconprobe/dpaux/aux_records.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// The panel hangs on the second adapter's eDP display; the first adapter
// has a monitor with nothing behind it, where a missed selection stays.
constexpr char kMachine[] = R"({
  "amdGpu": {"adapters": [
    {"index": 0, "displays": [{"index": 0, "connector": 10}]},
    {"index": 1, "displays": [{"index": 2, "connector": 16, "panel": true}]}]},
  "panel": {"tcon": {"address": "0xC2"}, "mcu": {"address": "0xC4"}}})";
constexpr std::uint8_t kTcon = 0xC2;
constexpr std::int32_t kEdp = 2;
constexpr std::int32_t kAmd = 3;
constexpr std::size_t kGuard = 32;
constexpr std::uint8_t kCanary = 0xA5;

std::uint32_t Number(FuzzInput& input, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(input.Byte()) << (8 * i);
  return value;
}

std::int32_t Signed(FuzzInput& input) { return static_cast<std::int32_t>(Number(input, 4)); }

std::uint8_t Pattern(std::uint32_t address, std::uint8_t seed) {
  return static_cast<std::uint8_t>(address * 7 + (address >> 8) * 13 + seed);
}

void LoadMachine() {
  std::string error;
  if (!sim::UseMachineText(kMachine, "", &error)) __builtin_trap();
  // AUXFUZZ_TRACE=FILE: the library calls and bus traffic of a finding.
  if (std::getenv("AUXFUZZ_TRACE")) sim::CurrentMachine().tracePath = std::getenv("AUXFUZZ_TRACE");
}

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
  if (choice & 64) {
    sim::panel::AuxFault fault;
    fault.at = 1 + input.Byte() % 8;
    fault.times = input.Byte() % 4;
    fault.reply = input.Byte() & 1 ? sim::panel::AuxReply::Nack : sim::panel::AuxReply::Defer;
    machine.panel.faults.push_back(fault);
  }
  return faults;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool loaded = (LoadMachine(), true);
  (void)loaded;
  FuzzInput input(data, size);
  sim::Machine& machine = sim::CurrentMachine();
  Reset(machine);
  const std::uint8_t seed = input.Byte();
  const bool native = (input.Byte() & 1) != 0;
  const bool write = (input.Byte() & 1) != 0;
  const std::uint32_t address = Number(input, 2);
  const std::uint32_t length = input.Byte();
  const std::uint32_t requestBytes = input.Byte() % 20;
  const std::uint32_t mode = input.Byte() % 9;
  const std::uint32_t flags = input.Byte();
  const std::uint8_t device = input.Byte() & 1 ? kTcon : static_cast<std::uint8_t>(input.Byte());
  const Faults faults = InjectFaults(input, machine);
  const std::string payload = input.Bytes(length);

  for (std::uint32_t at = address; at < address + length + 32; ++at) {
    machine.panel.dpcd[at] = Pattern(at, seed);
    machine.panel.tcon.registers[static_cast<std::uint16_t>(at)] = Pattern(at, seed);
  }
  std::vector<std::uint8_t> buffer(length + kGuard, kCanary);
  std::memcpy(buffer.data(), payload.data(), payload.size());
  const std::vector<std::uint8_t> sent(buffer.begin(), buffer.begin() + length);

  dpaux::KSXAUX_OPEN_PARAM open{16, kAmd, kEdp, 0};
  FUZZ_CHECK(KSXAUX_OpenDll(&open) == 0);
  std::int32_t result = 0;
  if (native) {
    dpaux::KSXAUX_NATIVE_PARAM record{32, kEdp, write, address, buffer.data(), length, requestBytes, 0};
    result = KSXAUX_NativeAuxAccess(&record);
  } else {
    dpaux::KSXAUX_I2C_PARAM record{44, kEdp, mode, write, device, address, buffer.data(), length, 0,
                                   requestBytes, flags};
    result = KSXAUX_I2COverAuxAccess(&record);
  }
  dpaux::KSXAUX_CLOSE_PARAM close{4};
  FUZZ_CHECK(KSXAUX_CloseDll(&close) == 0);

  FUZZ_CHECK(length == 0 ? result == -2 : (result == 0 || result == -1));
  for (std::size_t i = length; i < buffer.size(); ++i) FUZZ_CHECK(buffer[i] == kCanary);
  if (length == 0) return 0;

  // What a sound channel must carry: native transfers of up to 16 bytes,
  // and reads and writes of the TCON's registers behind a two-byte offset.
  // Adapter answers and the bus can make a transfer fail, never lie; a
  // library call answered without the bus or miscounted can.
  const bool tconOffset = !native && (device & 0xFE) == kTcon && mode == 1;
  if (!faults.any && ((native && length <= 16) || tconOffset)) FUZZ_CHECK(result == 0);
  if (native && length > 16) FUZZ_CHECK(result == -1);
  if (result != 0 || faults.library || (!native && !tconOffset)) return 0;
  for (std::uint32_t i = 0; i < length; ++i) {
    const std::uint32_t at = address + i;
    const std::uint8_t held = native ? machine.panel.dpcd[at] : machine.panel.tcon.registers[static_cast<std::uint16_t>(at)];
    FUZZ_CHECK(buffer[i] == (write ? sent[i] : Pattern(at, seed)));
    FUZZ_CHECK(held == (write ? sent[i] : Pattern(at, seed)));
  }
  return 0;
}
