#include "inventory/recoveryscan/narrow_inventory.h"

#include <string>

#include "common/code_page_text.h"
#include "common/decimal.h"
#include "common/timestamp.h"
#include "inventory/common/temporary_name.h"
#include "inventory/common/xml_attribute.h"
#include "platform/clock.h"
#include "platform/file_operations.h"
#include "platform/files.h"
#include "platform/text.h"

namespace inventory::recoveryscan {

namespace {

constexpr unsigned kRecoveryComponentId = 104763;

// The installer and the registry hand out texts in the ANSI code page; the
// document says UTF-8.
std::u16string FromAnsi(const char* text) { return common::FromCodePage(text, platform::AnsiToWide); }

}  // namespace

std::string NarrowInventoryText(const char* version, const char* display, const char* timeStamp) {
  const std::string versionText = XmlAttributeUtf8(FromAnsi(version));
  const std::string displayText = XmlAttributeUtf8(FromAnsi(display));
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
  text += "<SVMInventory lang=\"en\" timeStamp=\"";
  text += timeStamp;
  text += "\" schemaVersion=\"1.0\">";
  text += "<Device display=\"" + displayText;
  text += "\" componentID=\"" + common::DecimalText(kRecoveryComponentId);
  text += "\"><Application componentType=\"APAC\" ";
  text += "version=\"" + versionText;
  text += "\" display=\"" + displayText;
  text += "\" packageVersion=\"" + versionText;
  text += "\"></Application></Device>";
  text += "</SVMInventory>";
  return text;
}

bool WriteNarrowInventory(const char* outputPath, const char* version, const char* display) {
  const std::string temporary = TemporaryNameBeside<char>(outputPath);
  platform::TextFile* file = platform::OpenTextFile(temporary.c_str(), "w");
  char stamp[128];
  common::FormatTimeStamp(platform::GetLocalTime(), stamp, sizeof stamp);
  if (file == nullptr) return false;
  const std::string text = NarrowInventoryText(version, display, stamp);
  const bool wrote = platform::WriteText(file, text.data(), text.size());
  // Closing writes out what the stream still holds: it must succeed too.
  const bool closed = platform::CloseTextFile(file);
  if (wrote && closed &&
      platform::MoveFileExA(temporary.c_str(), outputPath,
                            platform::kMovefileReplaceExisting | platform::kMovefileWriteThrough)) {
    return true;
  }
  platform::DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace inventory::recoveryscan
