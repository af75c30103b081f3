#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com.h"
#include "platform/guid.h"
#include "platform/intel_cui.h"
#include "sim/models/panel/panel.h"

// The Intel graphics driver's CUI object: it lists the devices attached to
// each display, carries AUX transactions to the panel in a 32-byte data
// block, and keeps the power feature word in a 180-byte one.
namespace sim::intel {

// The class id that the ProgID "Igfxext.CUIExternal" is registered under,
// on the simulated machine and in the Wine test prefix alike.
inline constexpr platform::Guid kCuiClassId = {
    0x3C1D5A2E, 0x7B41, 0x4E0F, {0x9A, 0x62, 0x1D, 0x8C, 0x4B, 0x53, 0x75, 0x10}};

inline constexpr platform::HResult kEInvalidArg = static_cast<platform::HResult>(0x80070057u);

// The driver's error codes in the AUX block exchange.
inline constexpr std::uint32_t kErrorNone = 0;
inline constexpr std::uint32_t kErrorUnknownDevice = 40;
inline constexpr std::uint32_t kErrorTooLong = 69;
inline constexpr std::uint32_t kErrorTimeout = 70;
inline constexpr std::uint32_t kErrorNack = 71;
inline constexpr std::uint32_t kErrorDefer = 72;

struct AttachedDevice {
  std::uint32_t id = 0;
  std::uint32_t type = 0;    // the display link codes, 7 for a DisplayPort device on a dock
  std::uint32_t status = 0;  // 1: not active
  bool reachesPanel = true;  // false: a monitor's sink without the panel behind it
};

struct Display {
  std::u16string name;  // "\\.\Display1"
  std::vector<AttachedDevice> devices;
};

// A fault on AUX block exchange `at` (counted from 1) and the `times` - 1
// after it (0: every one from `at` on): a driver error code answered
// without reaching the bus, or a byte count left in the record after it.
struct DriverFault {
  std::uint64_t at = 1;
  std::uint64_t times = 1;
  std::optional<std::uint32_t> error;
  std::optional<std::uint32_t> byteCount;
};

struct Cui {
  std::vector<Display> displays;
  std::uint32_t powerFeatures = 0;
  std::vector<DriverFault> faults;
  std::uint64_t auxExchanges = 0;
};

struct EnumAnswer {
  platform::HResult result = kEInvalidArg;
  std::uint32_t id = 0, type = 0, status = 0;
};

// Method 12: the index-th device attached to the named display.
EnumAnswer EnumAttachedDevices(const Cui& cui, std::u16string_view display, std::uint32_t index);

// What a data block call did, with the bus transaction it made, if any.
struct BlockAnswer {
  platform::HResult result = platform::kSOk;
  std::uint32_t error = kErrorNone;
  bool busUsed = false;
  panel::AuxRequest request;
  panel::AuxAnswer bus;
};

// Methods 43 (get, set = false) and 44 (set) on a record of `size` bytes.
BlockAnswer DataBlock(Cui& cui, panel::Panel& panel, std::uint64_t now, bool set,
                      const platform::Guid& block, std::uint32_t size, std::uint8_t* record);

}  // namespace sim::intel
