#include "inventory/common/wide_inventory.h"

#include "common/timestamp.h"
#include "common/utf16le.h"
#include "inventory/common/temporary_name.h"
#include "inventory/common/xml_attribute.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace inventory {

namespace {

constexpr char16_t kEmptyForm[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-8\"?><SVMInventory lang=\"en\"></SVMInventory></xml>";

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

// Replaces each %s of the template by the next argument, as swprintf would.
// The values read (at most 1,024 bytes) keep the document far below the
// 4,096 characters it was once formatted into, escaped or not, so it is
// never cut short.
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
  return out;
}

}  // namespace

std::u16string WideInventoryText(InventoryForm form, const std::u16string& version,
                                 const ModuleIdentity& identity) {
  if (form == InventoryForm::Empty) return kEmptyForm;
  char stamp[64];
  common::FormatTimeStamp(platform::GetLocalTime(), stamp, sizeof stamp);
  const std::u16string timeStamp(stamp, stamp + std::char_traits<char>::length(stamp));
  const std::u16string value = XmlAttributeW(version);
  const std::u16string display = XmlAttributeW(identity.display);
  return FormatTemplate(FullFormTemplate(identity.componentType),
                        {timeStamp, identity.componentId, display, value, display, value});
}

bool WriteWideInventory(const std::u16string& outputPath, InventoryForm form,
                        const std::u16string& version, const ModuleIdentity& identity) {
  const std::u16string text = WideInventoryText(form, version, identity);
  const std::vector<std::uint8_t> bytes = common::Utf16LeBytes(text);
  // The target changes only when the whole document is on disk.
  const std::u16string temporary = TemporaryNameBeside<char16_t>(outputPath);
  const platform::Handle file =
      platform::CreateFileW(temporary.c_str(), platform::kGenericWrite, 0, platform::kCreateAlways,
                            platform::kFileAttributeNormal);
  if (file == platform::kInvalidHandle) return false;
  std::uint32_t written = 0;
  const bool wrote = platform::WriteFile(file, bytes.data(), static_cast<std::uint32_t>(bytes.size()), &written) &&
                     written == bytes.size();
  const bool closed = platform::CloseHandle(file);
  if (wrote && closed &&
      platform::MoveFileExW(temporary.c_str(), outputPath.c_str(),
                            platform::kMovefileReplaceExisting | platform::kMovefileWriteThrough)) {
    return true;
  }
  platform::DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace inventory
