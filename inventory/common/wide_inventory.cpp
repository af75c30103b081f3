#include "inventory/common/wide_inventory.h"

#include "common/timestamp.h"
#include "common/utf16le.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace inventory {

namespace {

constexpr char16_t kEmptyForm[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-8\"?><SVMInventory lang=\"en\"></SVMInventory></xml>";

// The formatted document is bounded like the 4,096-character buffer it
// came from.
constexpr std::size_t kMaxDocument = 4095;

std::u16string FullFormTemplate(const char16_t* componentType) {
  return std::u16string(
             u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             u"\t<SVMInventory lang=\"en\" schemaVersion=\"1.0\" timeStamp=\"%s\">\n"
             u"\t\t<Device componentID=\"%s\" display=\"%s\">\n"
             u"\t\t\t<Application componentType=\"") +
         componentType +
         u"\" version=\"%s\" display=\"%s\" packageVersion=\"%s\"/>\n"
         u"\t\t</Device>\n"
         u"\t</SVMInventory>\n";
}

// Replaces each %s of the template by the next argument, as swprintf would,
// and cuts the result at kMaxDocument characters.
std::u16string FormatTemplate(const std::u16string& pattern,
                              std::initializer_list<std::u16string> arguments) {
  std::u16string out;
  auto argument = arguments.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] == u's' &&
        argument != arguments.end()) {
      out += *argument++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  if (out.size() > kMaxDocument) out.resize(kMaxDocument);
  return out;
}

}  // namespace

std::u16string WideInventoryText(InventoryForm form, const std::u16string& version,
                                 const ModuleIdentity& identity) {
  if (form == InventoryForm::Empty) return kEmptyForm;
  char stamp[64];
  common::FormatTimeStamp(platform::GetLocalTime(), stamp, sizeof stamp);
  const std::u16string timeStamp(stamp, stamp + std::char_traits<char>::length(stamp));
  return FormatTemplate(FullFormTemplate(identity.componentType),
                        {timeStamp, identity.componentId, identity.display, version,
                         identity.display, version});
}

bool WriteWideInventory(const std::u16string& outputPath, InventoryForm form,
                        const std::u16string& version, const ModuleIdentity& identity) {
  const std::u16string text = WideInventoryText(form, version, identity);
  const platform::Handle file =
      platform::CreateFileW(outputPath.c_str(), platform::kGenericWrite, 0, platform::kCreateAlways,
                            platform::kFileAttributeNormal);
  if (file == platform::kInvalidHandle) return false;
  const std::vector<std::uint8_t> bytes = common::Utf16LeBytes(text);
  std::uint32_t written = 0;
  platform::WriteFile(file, bytes.data(), static_cast<std::uint32_t>(bytes.size()), &written);
  platform::CloseHandle(file);
  return true;
}

}  // namespace inventory
