#include "inventory/coolingscan/coolingscan.h"

#include "inventory/common/output_name.h"
#include "inventory/common/registry_text.h"
#include "inventory/common/wide_inventory.h"
#include "inventory/common/wow64.h"
#include "platform/console.h"
#include "platform/registry.h"
#include "platform/ui.h"

namespace inventory::coolingscan {
namespace {

constexpr char16_t kPackageKey[] = u"SOFTWARE\\ORVO\\ManageableUpdatePackage\\ThermalPpkg";
constexpr char16_t kVersionValue[] = u"Version";
constexpr char16_t kVersionUnreadable[] = u"0.0.0.0";
constexpr char16_t kDefaultOutput[] = u"OutputFile.xml";
constexpr char kHelp[] = "Help: Pass either no arguments or pass -o <outputfile>.xml";

constexpr ModuleIdentity kIdentity{u"111201", u"Orvo AC Thermal PPkg Driver", u"DRVR"};

// Only the first two arguments count; any further ones are ignored.
std::u16string ChooseOutputPath(const std::vector<std::u16string>& arguments) {
  if (arguments.size() < 2) return kDefaultOutput;
  if (arguments[0] == u"-o" && NamesXmlFile(arguments[1])) return arguments[1];
  platform::WriteStdout(kHelp, sizeof kHelp - 1);
  return kDefaultOutput;
}

void WriteDocument(const std::u16string& outputPath, InventoryForm form,
                   const std::u16string& version) {
  if (!WriteWideInventory(outputPath, form, version, kIdentity)) {
    platform::MessageBoxW(platform::kNoOwner, u"Error", u"Error", platform::kMbOk);
  }
}

}  // namespace

std::u16string ReadPackageVersion() {
  platform::RegKey key = 0;
  if (platform::RegOpenKeyW(platform::kHkeyLocalMachine, kPackageKey,
                            platform::kKeyAllAccess | platform::kKeyWow64_64Key,
                            &key) != platform::kSuccess) {
    return u"";
  }
  std::u16string version;
  if (!QueryWideText(key, kVersionValue, &version)) version = kVersionUnreadable;
  platform::RegCloseKey(key);
  return version;
}

int Run(const std::vector<std::u16string>& arguments) {
  const std::u16string outputPath = ChooseOutputPath(arguments);
  if (!IsRunningUnderWow64()) {
    WriteDocument(outputPath, InventoryForm::Empty, u"");
    return 0;
  }
  const std::u16string version = ReadPackageVersion();
  WriteDocument(outputPath, version.empty() ? InventoryForm::Empty : InventoryForm::Full, version);
  return 0;
}

}  // namespace inventory::coolingscan
