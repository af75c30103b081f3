#include "inventory/recoveryscan/recoveryscan.h"

#include <cstring>

#include "inventory/recoveryscan/narrow_inventory.h"
#include "inventory/recoveryscan/arguments.h"
#include "inventory/recoveryscan/installer_query.h"
#include "inventory/recoveryscan/registry_value.h"
#include "inventory/recoveryscan/run_log.h"

namespace inventory::recoveryscan {
namespace {

constexpr char kUpgradeCode[] = "{2253caa0-0ba2-461c-a50e-fc18228ebadd}";
constexpr char kRegistrySpec[] =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\ORVO\\ManageableUpdatePackage\\sentiva_os_recovery;"
    "UninstalledVersionZeroInv";
constexpr char kDefaultLog[] = "xlog.txt";
constexpr char kDefaultLogStart[] = "Valtorin inventory Log starts \n";
constexpr char kFailureLine[] = "INVSTATUS_FAIL ERROR - 1 \n";
constexpr char kNothingInstalled[] = "0";
constexpr char kDefaultDisplay[] = "OrvoUpdateSentivaPlugin";
// Shorter texts are placeholders rather than real versions or names.
constexpr std::size_t kMinVersionChars = 10;
constexpr std::size_t kMinDisplayChars = 29;

}  // namespace

const char* ChooseVersion(const char* installerVersion, const char* registryVersion) {
  if (std::strlen(installerVersion) >= kMinVersionChars) return installerVersion;
  if (std::strlen(registryVersion) >= kMinVersionChars) return registryVersion;
  return kNothingInstalled;
}

const char* ChooseDisplay(const char* installerName) {
  return std::strlen(installerName) >= kMinDisplayChars ? installerName : kDefaultDisplay;
}

int Run(const std::vector<std::string>& arguments) {
  RunLog log;
  RecoveryArguments parsed;
  if (!ParseRecoveryArguments(arguments, &parsed, log)) {
    log.Write(kFailureLine);
    return 1;
  }
  // The default log stands in whenever no "-l" or "-p" left a log open,
  // also when the named file could not be opened. The document must not be
  // that file: the log would write its lines into it.
  const std::string logName = log.IsOpen() ? log.Name() : kDefaultLog;
  if (parsed.outputName[0] != 0 && NameTheSameFile(parsed.outputName, logName.c_str())) {
    PrintUsage();
    log.Write(kFailureLine);
    return 1;
  }
  if (!log.IsOpen()) log.Open(kDefaultLog, kDefaultLogStart);

  InstallerProduct product{};
  QueryInstallerProduct(kUpgradeCode, &product, log);
  std::string registryVersion;
  QueryRegistrySpec(kRegistrySpec, &registryVersion, log);

  // Without "-o" there is nowhere to put the document. The success line
  // stands only for a stored document; the exit code stays 0 either way.
  const bool stored =
      parsed.outputName[0] != 0 &&
      WriteNarrowInventory(parsed.outputName, ChooseVersion(product.version, registryVersion.c_str()),
                           ChooseDisplay(product.name));
  log.Write(stored ? "out.xml succesfully created ERROR - 0 \n" : kFailureLine);
  return 0;
}

}  // namespace inventory::recoveryscan
