#pragma once
#include <cstdint>
#include <vector>

// One DisplayPort AUX transaction as it travels on the bus: a request with
// the DisplayPort request command, the address and at most 16 data bytes,
// and the sink's reply.
namespace sim::panel {

// Request commands: bit 3 native (DPCD), else I2C-over-AUX; for I2C, bit 2
// is MOT (middle of transaction) and bits 1..0 write, read or write-status.
inline constexpr std::uint8_t kI2cWrite = 0x0;
inline constexpr std::uint8_t kI2cRead = 0x1;
inline constexpr std::uint8_t kI2cWriteStatus = 0x2;
inline constexpr std::uint8_t kI2cMot = 0x4;
inline constexpr std::uint8_t kNativeWrite = 0x8;
inline constexpr std::uint8_t kNativeRead = 0x9;

inline constexpr unsigned kAuxMaxData = 16;
inline constexpr std::uint32_t kDpcdLimit = 0x100000;  // 20-bit DPCD addresses

inline bool IsNative(std::uint8_t command) { return (command & 0x8) != 0; }
inline bool IsRead(std::uint8_t command) { return (command & 0x3) == 0x1; }
inline bool HasMot(std::uint8_t command) { return !IsNative(command) && (command & kI2cMot) != 0; }

struct AuxRequest {
  std::uint8_t command = kI2cWrite;
  std::uint32_t address = 0;  // DPCD address, or the 7-bit I2C address
  unsigned length = 0;        // bytes to read, or the bytes of data to write
  std::uint8_t data[kAuxMaxData] = {};
};

enum class AuxReply { Ack, Nack, Defer };

struct AuxAnswer {
  AuxReply reply = AuxReply::Ack;
  unsigned count = 0;  // bytes read, or bytes written before a NACK
  std::uint8_t data[kAuxMaxData] = {};
};

// The first fault that covers transaction n (counted from 1): faults have
// `at` and `times`, and cover transaction `at` and the `times` - 1 after
// it, or with `times` 0 every one from `at` on.
template <typename Fault>
const Fault* FaultOn(const std::vector<Fault>& faults, std::uint64_t n) {
  for (const Fault& fault : faults) {
    if (n >= fault.at && (fault.times == 0 || n - fault.at < fault.times)) return &fault;
  }
  return nullptr;
}

}  // namespace sim::panel
