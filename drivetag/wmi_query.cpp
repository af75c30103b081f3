#include "drivetag/wmi_query.h"

#include "platform/text.h"

namespace drivetag {
namespace {

std::u16string QueryText(const char* query) {
  const int units = platform::AnsiToWide(query, -1, nullptr, 0);
  if (units <= 0) return {};
  std::u16string text(static_cast<std::size_t>(units), u'\0');
  platform::AnsiToWide(query, -1, text.data(), units);
  text.resize(static_cast<std::size_t>(units - 1));  // without the terminator
  return text;
}

}  // namespace

bool RunWmiQuery(const char* query, RowHandler handler, void* context) {
  if (platform::Failed(platform::CoInitializeMultithreaded())) return false;
  if (platform::Failed(platform::CoInitializeSecurityDefault())) {
    platform::CoUninitialize();
    return false;
  }
  platform::ComObject locator = nullptr;
  if (platform::Failed(platform::CoCreateInstance(platform::kClsidWbemLocator,
                                                  platform::kClsctxInprocServer,
                                                  platform::kIidWbemLocator, &locator))) {
    platform::CoUninitialize();
    return false;
  }
  platform::ComObject services = nullptr;
  if (platform::Failed(platform::WbemConnectServer(locator, u"ROOT\\CIMV2", &services))) {
    platform::Release(locator);
    platform::CoUninitialize();
    return false;
  }
  platform::ComObject enumerator = nullptr;
  const bool ready =
      !platform::Failed(platform::SetWbemProxyBlanket(services)) &&
      !platform::Failed(platform::WbemExecQuery(
          services, u"WQL", QueryText(query).c_str(),
          platform::kWbemFlagForwardOnly | platform::kWbemFlagReturnImmediately, &enumerator));
  if (!ready) {
    platform::Release(services);
    platform::Release(locator);
    platform::CoUninitialize();
    return false;
  }
  while (true) {
    platform::ComObject row = nullptr;
    std::uint32_t returned = 0;
    platform::WbemNext(enumerator, platform::kWbemInfinite, &row, &returned);
    if (returned == 0 || row == nullptr) break;
    handler(row, context);
    platform::Release(row);
  }
  platform::Release(services);
  platform::Release(locator);
  platform::Release(enumerator);
  platform::CoUninitialize();
  return true;
}

std::u16string StringProperty(platform::ComObject row, const char16_t* name) {
  platform::PropertyValue value;
  if (platform::Failed(platform::WbemGet(row, name, &value))) return {};
  if (value.kind != platform::VariantKind::String) return {};
  return value.text;
}

}  // namespace drivetag
