#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "sim/models/panel/aux_transaction.h"

// The laptop panel behind the GPU's AUX channel: the DPCD registers of the
// sink, and behind its I2C-over-AUX bridge the TCON, the MCU inside it and,
// on some panels, a small EEPROM. The MCU takes commands on its own
// address and publishes its status and results in TCON registers that it
// was told; its checksum action adds up bytes of the firmware ROM and takes
// a set time. On a flash panel the ROM is the flash the MCU runs from.
namespace sim::panel {

// An I2C device addressed by a 16-bit register pointer sent high byte first.
struct RegisterDevice {
  std::uint8_t address = 0;                         // 8-bit form
  bool silent = false;                              // NACKs its address
  std::map<std::uint16_t, std::uint8_t> registers;  // absent registers read 0
  std::uint16_t pointer = 0;                        // advances with every byte
};

// The TCON's own address in 7-bit form; the MCU answers it too.
inline constexpr std::uint16_t kTconOwnAddress = 0x0201;

// Command registers of the MCU.
inline constexpr std::uint16_t kMcuConnect = 0xFF0A;
inline constexpr std::uint16_t kMcuStatusAddress = 0xFF07;
inline constexpr std::uint16_t kMcuResultAddress = 0xFF08;
inline constexpr std::uint16_t kMcuEcho = 0xFF0F;
inline constexpr std::uint16_t kMcuAction = 0xFF06;
inline constexpr std::uint8_t kChecksumAction = 0x86;
inline constexpr std::uint8_t kActionDone = 0x80;
inline constexpr std::uint8_t kSetUpStatus = 0x88;
// Two bytes written here open the flash window (00 80 or 00 70) or close it.
inline constexpr std::uint16_t kMcuFlashWindow = 0xFF03;
// The 128 registers where the MCU shows the start of its program.
inline constexpr std::uint16_t kMcuProbeBlock = 0x0500;
inline constexpr unsigned kProbeBlockBytes = 128;

// The flash the MCU runs its program from, which is the panel's ROM: at its
// registers 0x0500 to 0x057F the MCU shows the flash bytes at
// programAddress + 0x0500; while its flash window is open every MCU
// register read comes from the flash at the register's address instead.
struct Flash {
  std::uint32_t programAddress = 0x5000;
};

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
  bool flashWindow = false;
  std::optional<std::uint16_t> statusRegister, resultRegister;
  bool running = false;
  std::uint64_t doneAt = 0;  // microseconds
  std::uint32_t actionStart = 0, actionLength = 0;
};

// A serial EEPROM of 2 KiB in eight blocks of 256 bytes, each block at its
// own 8-bit address: address + 2 x block (bits 3..1). The first byte written
// after the address sets the pointer inside the block; reads and writes
// move it on through the whole memory.
inline constexpr unsigned kEepromBytes = 2048;
struct Eeprom {
  std::uint8_t address = 0xC0;  // block 0
  bool silent = false;
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kEepromBytes, 0xFF);
  std::uint16_t pointer = 0;
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
enum class Device { None, Tcon, Mcu, Eeprom };
struct OpenI2c {
  Device device = Device::None;
  std::uint8_t eepromBlock = 0;
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
  std::optional<Flash> flash;     // none: the MCU shows no program
  std::optional<Eeprom> eeprom;
  std::vector<AuxFault> faults;
  std::uint64_t transactions = 0;
  OpenI2c open;
};

// Carries one AUX transaction at the given time (microseconds).
AuxAnswer Transact(Panel& panel, const AuxRequest& request, std::uint64_t now);

// A DisplayPort monitor's sink, which is no panel: its DPCD reads 0 and
// takes writes, and nothing behind its I2C-over-AUX bridge answers.
AuxAnswer TransactWithoutPanel(const AuxRequest& request);

// The MCU's checksum: the bytes of the region added up, 24 bits.
std::uint32_t RomChecksum(const std::vector<std::uint8_t>& rom, std::uint32_t start,
                          std::uint32_t length);

}  // namespace sim::panel
