// The exported AUX functions with any request record, over a driver and a
// bus that may fail at any transaction: the answer is 0, -1 or -2 as the
// record deserves, the caller's record gets the request size it must, not
// a byte outside the caller's buffer is touched, and a channel without
// faults carries exactly the panel's bytes both ways.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sim/core/machine.h"
#include "tconprobe/dpaux/aux_records.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

constexpr char kMachine[] = R"({
  "intelGpu": {"displays": [{"name": "\\\\.\\Display1", "devices": [{"id": "0x1001", "type": 2, "status": 0}]}]},
  "panel": {"tcon": {"address": "0xC2"}, "mcu": {"address": "0xC4"}}})";
constexpr std::uint8_t kTcon = 0xC2;
constexpr std::int32_t kEdp = 2;
constexpr std::size_t kGuard = 32;
constexpr std::uint8_t kCanary = 0xA5;

std::uint32_t Number(FuzzInput& input, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(input.Byte()) << (8 * i);
  return value;
}

// Register contents that differ from address to address, so a shifted or
// repeated byte shows.
std::uint8_t Pattern(std::uint32_t address, std::uint8_t seed) {
  return static_cast<std::uint8_t>(address * 7 + (address >> 8) * 13 + seed);
}

void LoadMachine() {
  std::string error;
  if (!sim::UseMachineText(kMachine, "", &error)) __builtin_trap();
  // AUXFUZZ_TRACE=FILE: the bus traffic of a finding, line by line.
  if (std::getenv("AUXFUZZ_TRACE")) sim::CurrentMachine().tracePath = std::getenv("AUXFUZZ_TRACE");
}

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
  if (choice & 32) {
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
  machine.panel.open = {};
  machine.panel.faults.clear();
  machine.intelGpu->faults.clear();
  const std::uint8_t seed = input.Byte();
  const bool native = (input.Byte() & 1) != 0;
  const bool write = (input.Byte() & 1) != 0;
  const std::uint32_t address = Number(input, 2);
  const std::uint32_t length = input.Byte();
  const std::uint32_t requestBytes = input.Byte() % 20;
  const std::uint32_t mode = input.Byte() % 9;
  const std::uint32_t flags = input.Byte();
  const std::uint8_t device = input.Byte() & 1 ? kTcon : static_cast<std::uint8_t>(input.Byte() & 0xFE);
  const Faults faults = InjectFaults(input, machine);
  const std::string payload = input.Bytes(length);

  for (std::uint32_t at = address; at < address + length + 32; ++at) {
    machine.panel.dpcd[at] = Pattern(at, seed);
    machine.panel.tcon.registers[static_cast<std::uint16_t>(at)] = Pattern(at, seed);
  }
  // The caller's buffer, then a guard that no transfer may touch.
  std::vector<std::uint8_t> buffer(length + kGuard, kCanary);
  std::memcpy(buffer.data(), payload.data(), payload.size());
  const std::vector<std::uint8_t> sent(buffer.begin(), buffer.begin() + length);

  dpaux::KSXAUX_OPEN_PARAM open{16, 1, kEdp, 0};
  FUZZ_CHECK(KSXAUX_OpenDll(&open) == 0);
  std::int32_t result = 0;
  if (native) {
    dpaux::KSXAUX_NATIVE_PARAM record{32, kEdp, write, address, buffer.data(), length, requestBytes, 0};
    result = KSXAUX_NativeAuxAccess(&record);
    FUZZ_CHECK(record.requestBytes == (length == 0 ? requestBytes : requestBytes == 0 ? 16 : requestBytes));
  } else {
    dpaux::KSXAUX_I2C_PARAM record{44, kEdp, mode, write, device, address, buffer.data(), length, 0,
                                   requestBytes, flags};
    result = KSXAUX_I2COverAuxAccess(&record);
    std::uint32_t expected = requestBytes;
    if (length != 0) {
      if (expected == 0) expected = 16;
      if (length < expected) expected = length;
    }
    FUZZ_CHECK(record.requestBytes == expected);
    FUZZ_CHECK(record.offset == (length != 0 && mode == 7 ? (address & 0xFF) : address));
  }
  dpaux::KSXAUX_CLOSE_PARAM close{4};
  FUZZ_CHECK(KSXAUX_CloseDll(&close) == 0);

  FUZZ_CHECK(length == 0 ? result == -2 : (result == 0 || result == -1));
  for (std::size_t i = length; i < buffer.size(); ++i) FUZZ_CHECK(buffer[i] == kCanary);
  if (length == 0) return 0;

  // What a sound channel must carry: native transfers always, and reads and
  // writes of the TCON's registers behind a two-byte offset. Whatever the bus
  // refuses, a success has the panel's bytes, and so has a native read that
  // the driver miscounts (it names its address each time). A driver that
  // answers without the bus, or miscounts bytes that the device's own
  // pointer has passed, can make a success carry anything.
  const bool tconOffset = !native && device == kTcon && mode == 1;
  if (!faults.any && (native || (tconOffset && !write))) FUZZ_CHECK(result == 0);
  const bool trusted = !faults.driverError && !(faults.driverCount && (write || !native));
  if (result != 0 || !trusted || (!native && !tconOffset)) return 0;
  for (std::uint32_t i = 0; i < length; ++i) {
    const std::uint32_t at = address + i;
    const std::uint8_t held = native ? machine.panel.dpcd[at] : machine.panel.tcon.registers[static_cast<std::uint16_t>(at)];
    FUZZ_CHECK(buffer[i] == (write ? sent[i] : Pattern(at, seed)));
    FUZZ_CHECK(held == (write ? sent[i] : Pattern(at, seed)));
  }
  return 0;
}
