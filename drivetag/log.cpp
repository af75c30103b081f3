#include "drivetag/log.h"

#include <string>

#include "common/timestamp.h"
#include "drivetag/text_convert.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/files.h"

namespace drivetag {

void WriteLogLine(std::u16string_view message) {
  const platform::LocalTime now = platform::GetLocalTime();
  platform::TextFile* file = platform::OpenTextFile(kLogPath, "at+");
  if (file == nullptr) return;
  char stamp[64];
  common::FormatTimeStamp(now, stamp, sizeof stamp);
  std::string line = std::string(stamp) + " : ";
  // The line is narrow text: characters without an ANSI form become the
  // code page's default character.
  line += ToAnsi(message);
  line += '\n';
  platform::WriteText(file, line.data(), line.size());
  platform::CloseTextFile(file);
}

void Say(std::string_view text) { platform::WriteStdout(text.data(), text.size()); }

void SayWide(std::u16string_view text) { platform::WriteStdoutWide(text.data(), text.size()); }

}  // namespace drivetag
