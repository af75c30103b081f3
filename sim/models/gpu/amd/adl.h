#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/amd_adl.h"
#include "sim/models/panel/panel.h"

// The AMD Display Library of the machine: adapters, active or not, each
// with its list of displays, and the two calls that carry traffic to the
// panel: native AUX access (one DPCD transaction) and DDC block access (an
// I2C message, carried as I2C-over-AUX transactions). Only the display
// marked as the panel's reaches the bus; a call to any other answers
// failure, as nothing behind it answers.
namespace sim::amd {

struct Display {
  std::int32_t index = 0;         // the library's display index
  std::int32_t adapterIndex = 0;  // as its record says; normally its adapter's
  std::int32_t connector = 0;     // 16 eDP, 15 DisplayPort, 10 HDMI, ...
  std::uint32_t flags = 0x03;     // 0x02: connected
  bool panel = false;             // its AUX channel reaches the machine's panel
};

struct Adapter {
  std::int32_t index = 0;
  bool active = true;
  bool displayListFails = false;
  std::optional<std::int32_t> displayCount;  // reported instead of the list's length
  std::vector<Display> displays;
};

// A fault on call `at` of its kind (counted from 1) and the `times` - 1
// after it (0: every one from `at` on): a result answered without reaching
// the bus, or a count (received length, native byte count) reported after it.
struct CallFault {
  std::uint64_t at = 1;
  std::uint64_t times = 1;
  std::optional<std::int32_t> result;
  std::optional<std::int32_t> count;
};

struct Adl {
  std::vector<std::string> libraries{platform::adl::kLibrary};  // the file names present
  std::vector<std::string> missingFunctions;                     // names the library lacks
  std::int32_t createResult = platform::adl::kOk;
  std::optional<std::int32_t> adapterCount;  // reported instead of the adapters' number
  bool adapterInfoFails = false;
  std::vector<Adapter> adapters;
  std::vector<CallFault> ddcFaults, nativeFaults;
  // State.
  bool created = false;
  std::uint64_t ddcCalls = 0, nativeCalls = 0;
};

// Whether the library exports this name.
bool Exports(const Adl& adl, const std::string& name);

// The simulated time of the bus, moved on by every transaction.
struct BusClock {
  std::uint64_t now = 0;  // microseconds
  std::uint32_t transactionMicroseconds = 100;
};

// One bus transaction a call made.
struct BusExchange {
  panel::AuxRequest request;
  panel::AuxAnswer answer;
};

struct CallAnswer {
  std::int32_t result = platform::adl::kOk;
  std::vector<BusExchange> bus;
};

std::int32_t MainControlCreate(Adl& adl);
std::int32_t MainControlDestroy(Adl& adl);
std::int32_t NumberOfAdapters(const Adl& adl);
// Fills one record per adapter; fails when `bytes` cannot hold them all.
std::int32_t AdapterInfo(const Adl& adl, std::uint8_t* records, std::int32_t bytes);

struct ActiveAnswer {
  std::int32_t result = platform::adl::kError;
  std::int32_t active = 0;
};
ActiveAnswer AdapterActive(const Adl& adl, std::int32_t adapter);

struct DisplayListAnswer {
  std::int32_t result = platform::adl::kError;
  std::int32_t count = 0;             // what the library reports
  std::vector<std::uint8_t> records;  // the list it hands over, 552 bytes a display
};
DisplayListAnswer DisplayList(const Adl& adl, std::int32_t adapter);

// The 36-byte record: one DPCD read or write of at most 16 bytes.
CallAnswer NativeAux(Adl& adl, panel::Panel& panel, BusClock& clock, std::int32_t adapter,
                     std::int32_t display, std::uint8_t* record);

// One I2C message: `send` starts with the 8-bit device address. Option 0:
// a write (address bit 0 clear, nothing received) or a read (the address
// alone with bit 0 set, then `*receiveLength` bytes). Option 16: an offset
// write and a read of `*receiveLength` bytes joined by a repeated start.
// `*receiveLength` becomes the count received; no more than it was is
// written to `receive`.
CallAnswer DdcBlockAccess(Adl& adl, panel::Panel& panel, BusClock& clock, std::int32_t adapter,
                          std::int32_t display, std::int32_t option, const std::uint8_t* send,
                          std::int32_t sendLength, std::int32_t* receiveLength,
                          std::uint8_t* receive);

}  // namespace sim::amd
