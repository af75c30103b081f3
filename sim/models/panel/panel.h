#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "sim/models/panel/aux_transaction.h"

// The laptop panel behind the GPU's AUX channel: the DPCD registers of the
// sink, and behind its I2C-over-AUX bridge the TCON and the MCU inside it.
// The MCU takes commands on its own address and publishes its status and
// results in TCON registers that it was told; its checksum action adds up
// bytes of the firmware ROM and takes a set time.
namespace sim::panel {

// An I2C device addressed by a 16-bit register pointer sent high byte first.
struct RegisterDevice {
  std::uint8_t address = 0;                         // 8-bit form
  bool silent = false;                              // NACKs its address
  std::map<std::uint16_t, std::uint8_t> registers;  // absent registers read 0
  std::uint16_t pointer = 0;                        // advances with every byte
};

// Command registers of the MCU.
inline constexpr std::uint16_t kMcuConnect = 0xFF0A;
inline constexpr std::uint16_t kMcuStatusAddress = 0xFF07;
inline constexpr std::uint16_t kMcuResultAddress = 0xFF08;
inline constexpr std::uint16_t kMcuEcho = 0xFF0F;
inline constexpr std::uint16_t kMcuAction = 0xFF06;
inline constexpr std::uint8_t kChecksumAction = 0x86;
inline constexpr std::uint8_t kActionDone = 0x80;
inline constexpr std::uint8_t kSetUpStatus = 0x88;

struct Mcu {
  RegisterDevice device{0xC4, false, {}, 0};
  std::uint32_t checksumMicroseconds = 1000;  // how long the checksum action runs
  // Faults.
  bool neverDone = false;                    // the action never finishes
  std::optional<std::uint8_t> actionStatus;  // published instead of the action's own status
  std::uint8_t setUpStatus = kSetUpStatus;   // published once the registers are set up
  bool wrongEcho = false;                    // the echo comes back with its last byte changed
  // State.
  bool connected = false;
  std::optional<std::uint16_t> statusRegister, resultRegister;
  bool running = false;
  std::uint64_t doneAt = 0;  // microseconds
  std::uint32_t actionStart = 0, actionLength = 0;
};

// A reply forced on the bus: transaction `at` (counted from 1 over all
// transactions) and the `times` - 1 after it get this reply and reach no
// device; `times` 0 means every transaction from `at` on.
struct AuxFault {
  std::uint64_t at = 1;
  std::uint64_t times = 1;
  AuxReply reply = AuxReply::Nack;
};

// The I2C transaction that the bridge holds open between AUX transactions.
enum class Device { None, Tcon, Mcu };
struct OpenI2c {
  Device device = Device::None;
  bool reading = false;
  unsigned pointerBytes = 0;  // register pointer bytes received in this write
  std::uint16_t firstRegister = 0;
  std::vector<std::uint8_t> written;  // data bytes after the pointer
};

struct Panel {
  std::map<std::uint32_t, std::uint8_t> dpcd;             // absent addresses read 0
  RegisterDevice tcon{0xC2, false, {{0x0201, 0x61}}, 0};  // 0x0201: its own address, 7-bit form
  Mcu mcu;
  std::vector<std::uint8_t> rom;  // the firmware image; beyond it the ROM reads 0xFF
  std::vector<AuxFault> faults;
  std::uint64_t transactions = 0;
  OpenI2c open;
};

// Carries one AUX transaction at the given time (microseconds).
AuxAnswer Transact(Panel& panel, const AuxRequest& request, std::uint64_t now);

// The MCU's checksum: the bytes of the region added up, 24 bits.
std::uint32_t RomChecksum(const std::vector<std::uint8_t>& rom, std::uint32_t start,
                          std::uint32_t length);

}  // namespace sim::panel
