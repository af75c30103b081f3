// The Windows Installer of the seam, answered from the machine's products
// with the status codes and buffer rules of msi.dll.
#include <cstring>

#include "platform/installer.h"
#include "common/ascii_case.h"
#include "sim/core/guid.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"

namespace platform {
namespace {

bool IsGuid(const char* text) { return text != nullptr && sim::IsBracedGuid(text); }

sim::InstallContext ContextOf(std::uint32_t context) {
  switch (context) {
    case kMsiContextUserManaged: return sim::InstallContext::UserManaged;
    case kMsiContextUserUnmanaged: return sim::InstallContext::UserUnmanaged;
    default: return sim::InstallContext::Machine;
  }
}

Status Traced(Status status, const std::string& line) {
  sim::Trace(line + " -> " + std::to_string(status));
  return status;
}

// Copies text into a buffer of the given size as msi.dll does: cut to fit
// with a terminator; a misbehaving product leaves the terminator out.
Status CopyAnswer(const std::string& text, char* value, std::uint32_t* valueChars,
                  bool unterminated) {
  const auto length = static_cast<std::uint32_t>(text.size());
  if (value == nullptr) {
    if (valueChars != nullptr) *valueChars = length;
    return kSuccess;
  }
  const std::uint32_t room = *valueChars;
  if (unterminated) {
    const std::uint32_t count = length < room ? length : room;
    std::memcpy(value, text.data(), count);
    *valueChars = count;
    return kSuccess;
  }
  if (room > length) {
    std::memcpy(value, text.c_str(), length + 1);
    *valueChars = length;
    return kSuccess;
  }
  if (room > 0) {
    std::memcpy(value, text.data(), room - 1);
    value[room - 1] = 0;
  }
  *valueChars = length;
  return kErrorMoreData;
}

}  // namespace

Status MsiEnumRelatedProductsA(const char* upgradeCode, std::uint32_t reserved,
                               std::uint32_t index, char* productCode) {
  const std::string line = "msi.EnumRelatedProductsA " +
                           std::string(upgradeCode != nullptr ? upgradeCode : "(null)") +
                           " index=" + std::to_string(index);
  if (!IsGuid(upgradeCode) || reserved != 0 || productCode == nullptr) {
    return Traced(kErrorInvalidParameter, line);
  }
  std::uint32_t seen = 0;
  for (const sim::InstalledProduct& product : sim::CurrentMachine().installerProducts) {
    if (product.upgradeCode.empty() || !common::SameIgnoringAsciiCase(product.upgradeCode, upgradeCode)) continue;
    if (seen++ != index) continue;
    const std::size_t bytes = product.productCode.size() + 1;
    std::memcpy(productCode, product.productCode.c_str(),
                bytes < kProductCodeChars ? bytes : kProductCodeChars);
    return Traced(kSuccess, line + " " + product.productCode);
  }
  return Traced(kErrorNoMoreItems, line);
}

Status MsiGetProductInfoExA(const char* productCode, const char* userSid, std::uint32_t context,
                            const char* property, char* value, std::uint32_t* valueChars) {
  const std::string line =
      "msi.GetProductInfoExA " + std::string(productCode != nullptr ? productCode : "(null)") +
      " context=" + std::to_string(context) + " \"" + (property != nullptr ? property : "") +
      "\" size=" + (valueChars != nullptr ? std::to_string(*valueChars) : "none");
  const bool knownContext = context == kMsiContextMachine || context == kMsiContextUserManaged ||
                            context == kMsiContextUserUnmanaged;
  if (!IsGuid(productCode) || !knownContext || property == nullptr ||
      (context == kMsiContextMachine && userSid != nullptr) ||
      (value != nullptr && valueChars == nullptr)) {
    return Traced(kErrorInvalidParameter, line);
  }
  for (const sim::InstalledProduct& product : sim::CurrentMachine().installerProducts) {
    if (!common::SameIgnoringAsciiCase(product.productCode, productCode) || product.context != ContextOf(context)) {
      continue;
    }
    if (auto failure = product.failures.find(property); failure != product.failures.end()) {
      return Traced(failure->second, line);
    }
    auto text = product.properties.find(property);
    if (text == product.properties.end()) return Traced(kErrorUnknownProperty, line);
    // The narrow call hands text over in the ANSI code page.
    return Traced(CopyAnswer(sim::Utf8ToAnsi(text->second), value, valueChars, product.unterminated),
                  line);
  }
  return Traced(kErrorUnknownProduct, line);
}

}  // namespace platform
