#include "inventory/cleanupscan/cleanupscan.h"

#include <cstring>

#include "common/utf16le.h"
#include "inventory/common/output_name.h"
#include "inventory/common/registry_text.h"
#include "inventory/common/wide_inventory.h"
#include "inventory/common/wow64.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace inventory::cleanupscan {
namespace {

constexpr char16_t kPackageKey[] = u"SOFTWARE\\ORVO\\ManageableUpdatePackage\\ZerbixRemovalTool";
constexpr char16_t kVersionValue[] = u"Version";
constexpr char kToolVersion[] = "2.5.0";
constexpr char kNothingInstalled[] = "0.0.0";
constexpr char16_t kDefaultOutput[] = u"OutputFile.xml";
constexpr char kHelp[] = "Help: Pass arguments like : {-o <OutputFileName>.xml}";
constexpr char16_t kFallbackDevice[] = u"ROOT\\ORVOUTILS\\0000";
constexpr std::uint32_t kStoredVersionBytes = 16;

constexpr ModuleIdentity kIdentity{u"111084", u"Orvo Zerbix Removal Utility", u"APAC"};

bool TryOpen(const char16_t* name, std::uint32_t access) {
  const platform::Handle handle = platform::CreateFileW(name, access, 0, platform::kOpenExisting, 0);
  if (handle == platform::kInvalidHandle) return false;
  platform::CloseHandle(handle);
  return true;
}

std::u16string Wide(const char* ascii) { return std::u16string(ascii, ascii + std::strlen(ascii)); }

std::u16string ChooseOutputPath(const std::vector<std::u16string>& arguments) {
  if (arguments.size() > 2) {
    platform::WriteStdout(kHelp, sizeof kHelp - 1);
    return kDefaultOutput;
  }
  if (arguments.size() == 2 && arguments[0] == u"-o" && NamesXmlFile(arguments[1])) {
    return arguments[1];
  }
  return kDefaultOutput;
}

}  // namespace

bool ProbeRemovalDriver(ProbeVariant variant) {
  if (variant == ProbeVariant::A) {
    if (TryOpen(u"\\\\.\\Zerbix_2_3", 0)) return true;
  } else {
    if (TryOpen(u"\\\\.\\Zerbix_2_5", platform::kGenericRead | platform::kGenericWrite)) return true;
  }
  return TryOpen(kFallbackDevice, 0);
}

std::u16string ReadPackageVersion() {
  platform::RegKey key = 0;
  if (platform::RegOpenKeyW(platform::kHkeyLocalMachine, kPackageKey, platform::kKeyRead, &key) !=
      platform::kSuccess) {
    return u"";
  }
  std::u16string version;  // a failed query leaves it empty
  QueryWideText(key, kVersionValue, &version);
  platform::RegCloseKey(key);
  return version;
}

platform::Status WritePackageVersion(const char* version) {
  platform::RegKey key = 0;
  if (platform::RegOpenKeyW(platform::kHkeyLocalMachine, kPackageKey, platform::kKeyWrite, &key) !=
      platform::kSuccess) {
    platform::RegKey created = 0;
    if (platform::RegCreateKeyW(platform::kHkeyLocalMachine, kPackageKey,
                                platform::kRegOptionNonVolatile, platform::kKeyWrite,
                                &created) != platform::kSuccess) {
      return platform::kSuccess;  // nothing written; the caller's re-read sees no change
    }
    platform::RegCloseKey(created);
    const platform::Status reopened =
        platform::RegOpenKeyW(platform::kHkeyLocalMachine, kPackageKey, platform::kKeyWrite, &key);
    if (reopened != platform::kSuccess) return reopened;
  }
  char16_t stored[kStoredVersionBytes / 2] = {};
  const int length = static_cast<int>(strnlen(version, kStoredVersionBytes / 2));
  if (platform::AnsiToWide(version, length, stored, kStoredVersionBytes / 2) == 0) {
    platform::RegCloseKey(key);
    return platform::kErrorInvalidData;
  }
  std::uint8_t bytes[kStoredVersionBytes];
  common::PutUtf16Le(std::u16string_view(stored, kStoredVersionBytes / 2), bytes);
  const platform::Status status =
      platform::RegSetValueW(key, kVersionValue, platform::kRegSz, bytes, sizeof bytes);
  platform::RegCloseKey(key);
  return status;
}

int Run(const std::vector<std::u16string>& arguments) {
  const std::u16string outputPath = ChooseOutputPath(arguments);
  if (!IsRunningUnderWow64()) {
    WriteWideInventory(outputPath, InventoryForm::Empty, u"", kIdentity);
    return 0;
  }
  const bool probeA = ProbeRemovalDriver(ProbeVariant::A);
  const bool probeB = ProbeRemovalDriver(ProbeVariant::B);
  const bool driverPresent = probeA || probeB;

  std::u16string version = ReadPackageVersion();
  const char* record = nullptr;
  if (!driverPresent && version.empty()) record = kToolVersion;
  if (driverPresent && version == Wide(kToolVersion)) record = kNothingInstalled;
  if (record != nullptr && WritePackageVersion(record) == platform::kSuccess) {
    version = ReadPackageVersion();
  }
  if (version.empty()) version = Wide(kNothingInstalled);
  WriteWideInventory(outputPath, InventoryForm::Full, version, kIdentity);
  return 0;
}

}  // namespace inventory::cleanupscan
