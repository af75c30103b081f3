#pragma once
// What the AUX layer's fuzz targets share: the request drawn from the
// input, register contents that show a shifted or repeated byte, the bus's
// faults, and the check that a transfer carried exactly the panel's bytes.
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/core/machine.h"
#include "tconprobe/dpaux/aux_records.h"
#include "tests/fuzz/fuzz_input.h"

namespace aux_fuzz {

inline constexpr std::uint8_t kTcon = 0xC2;
inline constexpr std::int32_t kEdp = 2;
inline constexpr std::size_t kGuard = 32;
inline constexpr std::uint8_t kCanary = 0xA5;

inline std::uint32_t Number(FuzzInput& input, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(input.Byte()) << (8 * i);
  return value;
}

// Register contents that differ from address to address.
inline std::uint8_t Pattern(std::uint32_t address, std::uint8_t seed) {
  return static_cast<std::uint8_t>(address * 7 + (address >> 8) * 13 + seed);
}

inline void LoadMachine(const char* json) {
  std::string error;
  if (!sim::UseMachineText(json, "", &error)) __builtin_trap();
  // AUXFUZZ_TRACE=FILE: the traffic of a finding, line by line.
  if (std::getenv("AUXFUZZ_TRACE")) sim::CurrentMachine().tracePath = std::getenv("AUXFUZZ_TRACE");
}

// The target's machine: loaded with the first input, kept for all others.
inline sim::Machine& MachineOnce(const char* json) {
  static const bool loaded = (LoadMachine(json), true);
  (void)loaded;
  return sim::CurrentMachine();
}

struct Request {
  std::uint8_t seed = 0;
  bool native = false, write = false;
  std::uint32_t address = 0, length = 0, requestBytes = 0, mode = 0, flags = 0;
  std::uint8_t device = kTcon;
};

inline Request DrawRequest(FuzzInput& input) {
  Request r;
  r.seed = input.Byte();
  r.native = (input.Byte() & 1) != 0;
  r.write = (input.Byte() & 1) != 0;
  r.address = Number(input, 2);
  r.length = input.Byte();
  r.requestBytes = input.Byte() % 20;
  r.mode = input.Byte() % 9;
  r.flags = input.Byte();
  r.device = input.Byte() & 1 ? kTcon : static_cast<std::uint8_t>(input.Byte() & 0xFE);
  return r;
}

inline sim::panel::AuxFault BusFault(FuzzInput& input) {
  sim::panel::AuxFault fault;
  fault.at = 1 + input.Byte() % 8;
  fault.times = input.Byte() % 4;
  fault.reply = input.Byte() & 1 ? sim::panel::AuxReply::Nack : sim::panel::AuxReply::Defer;
  return fault;
}

// The panel's DPCD and TCON registers around the request hold the pattern.
inline void FillPattern(sim::Machine& machine, const Request& r) {
  for (std::uint32_t at = r.address; at < r.address + r.length + 32; ++at) {
    machine.panel.dpcd[at] = Pattern(at, r.seed);
    machine.panel.tcon.registers[static_cast<std::uint16_t>(at)] = Pattern(at, r.seed);
  }
}

// The caller's buffer with the payload, then a guard that no transfer may touch.
inline std::vector<std::uint8_t> GuardedBuffer(const Request& r, const std::string& payload) {
  std::vector<std::uint8_t> buffer(r.length + kGuard, kCanary);
  std::copy(payload.begin(), payload.end(), buffer.begin());
  return buffer;
}

// Both ends hold what a sound transfer carries: a write's bytes in the
// panel, the panel's pattern in a read's buffer.
inline void CheckCarried(sim::Machine& machine, const Request& r,
                         const std::vector<std::uint8_t>& buffer,
                         const std::vector<std::uint8_t>& sent) {
  for (std::uint32_t i = 0; i < r.length; ++i) {
    const std::uint32_t at = r.address + i;
    const std::uint8_t held = r.native ? machine.panel.dpcd[at]
                                       : machine.panel.tcon.registers[static_cast<std::uint16_t>(at)];
    FUZZ_CHECK(buffer[i] == (r.write ? sent[i] : Pattern(at, r.seed)));
    FUZZ_CHECK(held == (r.write ? sent[i] : Pattern(at, r.seed)));
  }
}

// Opens the channel on the back-end, makes the request through its export
// and closes again. The answer is 0, -1 or -2 as the record deserves, the
// caller's record gets the request size and offset it must, and nothing
// beyond the caller's buffer is touched.
inline std::int32_t Transfer(std::int32_t gpuType, const Request& r,
                             std::vector<std::uint8_t>& buffer) {
  dpaux::KSXAUX_OPEN_PARAM open{16, gpuType, kEdp, 0};
  FUZZ_CHECK(KSXAUX_OpenDll(&open) == 0);
  std::int32_t result = 0;
  std::uint32_t expected = r.requestBytes;
  if (r.length != 0 && expected == 0) expected = 16;
  if (r.native) {
    dpaux::KSXAUX_NATIVE_PARAM record{32, kEdp, r.write, r.address, buffer.data(), r.length,
                                      r.requestBytes, 0};
    result = KSXAUX_NativeAuxAccess(&record);
    FUZZ_CHECK(record.requestBytes == expected);
  } else {
    dpaux::KSXAUX_I2C_PARAM record{44, kEdp, r.mode, r.write, r.device, r.address, buffer.data(),
                                   r.length, 0, r.requestBytes, r.flags};
    result = KSXAUX_I2COverAuxAccess(&record);
    if (r.length != 0 && r.length < expected) expected = r.length;
    FUZZ_CHECK(record.requestBytes == expected);
    FUZZ_CHECK(record.offset == (r.length != 0 && r.mode == 7 ? (r.address & 0xFF) : r.address));
  }
  dpaux::KSXAUX_CLOSE_PARAM close{4};
  FUZZ_CHECK(KSXAUX_CloseDll(&close) == 0);
  FUZZ_CHECK(r.length == 0 ? result == -2 : (result == 0 || result == -1));
  for (std::size_t i = r.length; i < buffer.size(); ++i) FUZZ_CHECK(buffer[i] == kCanary);
  return result;
}

}  // namespace aux_fuzz
