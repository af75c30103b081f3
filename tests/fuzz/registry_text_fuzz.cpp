// The three modules' registry readers on a value of any type, size and
// content: the wide reader of cleanupscan and coolingscan (1,024 bytes,
// UTF-16 up to the first NUL) and recoveryscan's narrow one (260 bytes, up
// to the first NUL).
#include <string>

#include "inventory/common/registry_text.h"
#include "inventory/recoveryscan/registry_value.h"
#include "inventory/recoveryscan/run_log.h"
#include "tests/fuzz/built_in_machine.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

const std::u16string kKey = u"SOFTWARE\\ORVO\\ManageableUpdatePackage\\Fuzz";

void Store(std::uint32_t type, const std::string& bytes) {
  sim::RegValue value;
  value.name = u"Value";
  value.type = type;
  value.data.assign(bytes.begin(), bytes.end());
  sim::CurrentMachine().registry.SetValue(sim::Hive::LocalMachine, kKey, value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  UseBuiltInMachineOnce();
  sim::CurrentMachine().windows64 = false;  // no view named: one key for both readers
  FuzzInput input(data, size);
  const std::uint32_t type = input.Byte() % 12;
  const std::string bytes = input.Rest();
  Store(type, bytes);

  platform::RegKey key = 0;
  FUZZ_CHECK(platform::RegOpenKeyW(platform::kHkeyLocalMachine, kKey.c_str(), platform::kKeyRead, &key) ==
             platform::kSuccess);
  std::u16string wide = u"unchanged";
  const bool read = inventory::QueryWideText(key, u"Value", &wide);
  platform::RegCloseKey(key);
  FUZZ_CHECK(read == (bytes.size() <= 1024));
  if (read) {
    std::u16string expected;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      const auto unit = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                              (static_cast<std::uint8_t>(bytes[i + 1]) << 8));
      if (unit == 0) break;
      expected += unit;
    }
    FUZZ_CHECK(wide == expected);
  } else {
    FUZZ_CHECK(wide == u"unchanged");
  }

  // The narrow reader gets the bytes as they are only for types that are
  // not text; REG_BINARY stands for them.
  Store(3, bytes);
  inventory::recoveryscan::RunLog log;
  std::string narrow;
  const platform::Status status =
      inventory::recoveryscan::QueryRegistrySpec("HKEY_LOCAL_MACHINE\\SOFTWARE\\ORVO\\ManageableUpdatePackage\\Fuzz;Value",
                                      &narrow, log);
  FUZZ_CHECK((status == platform::kSuccess) == (bytes.size() <= 260));
  FUZZ_CHECK(narrow == (status == platform::kSuccess ? bytes.substr(0, bytes.find('\0')) : ""));
  return 0;
}
