#include "inventory/recoveryscan/installer_query.h"

#include <cstdint>
#include <cstring>

#include "platform/debug_output.h"
#include "platform/installer.h"

namespace inventory::recoveryscan {
namespace {

template <std::size_t Chars>
void QueryProperty(const char* productCode, const char* property, char (&buffer)[Chars],
                   const char* failureMessage, RunLog& log) {
  std::uint32_t chars = Chars;
  const platform::Status status = ReportInstallerResult(
      platform::MsiGetProductInfoExA(productCode, nullptr, platform::kMsiContextMachine, property,
                                     buffer, &chars),
      log);
  if (status != platform::kSuccess) {
    // A buffer too small holds a cut text; no half answer is used.
    std::memset(buffer, 0, Chars);
    log.Write(failureMessage);
    return;
  }
  buffer[Chars - 1] = 0;  // the answer's own terminator is not taken on trust
}

}  // namespace

platform::Status ReportInstallerResult(platform::Status code, RunLog& log) {
  if (code == platform::kSuccess) {
    platform::OutputDebugStringA("Product detected : ");
    platform::OutputDebugStringA("\n ERROR_SUCCESS");
  } else if (code == platform::kErrorUnknownProduct) {
    platform::OutputDebugStringA("Product NOT detected : ");
    log.Write("ERROR_UNKNOWN_PRODUCT :Error fetching value \n");
  } else {
    log.Write("Default: Error fetching value \n");
  }
  return code;
}

void QueryInstallerProduct(const char* upgradeCode, InstallerProduct* product, RunLog& log) {
  char productCode[platform::kProductCodeChars] = {};
  if (platform::MsiEnumRelatedProductsA(upgradeCode, 0, 0, productCode) != platform::kSuccess) {
    return;  // no related product: nothing to report, nothing logged
  }
  productCode[sizeof productCode - 1] = 0;
  QueryProperty(productCode, "InstalledProductName", product->name,
                "Error fetching diaplay name : Default Display name will be assigned \n", log);
  QueryProperty(productCode, "VersionString", product->version,
                "Error fetching version from MSI. Check uninstall path for version \n", log);
}

}  // namespace inventory::recoveryscan
