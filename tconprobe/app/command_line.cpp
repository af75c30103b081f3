#include <cstring>
#include <string>

#include "platform/console.h"
#include "platform/process.h"
#include "platform/text.h"
#include "tconprobe/app/main_form.h"

namespace tconprobe {
namespace {

bool StartsWith(const std::u16string& argument, const char16_t* prefix) {
  return argument.compare(0, std::char_traits<char16_t>::length(prefix), prefix) == 0;
}

std::string ToAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  std::string narrow(2 * text.size(), '\0');
  const int length = platform::WideToAnsi(text.data(), static_cast<int>(text.size()), narrow.data(),
                                          static_cast<int>(narrow.size()));
  narrow.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return narrow;
}

// A file name for "-o", "-p" or "-l": one that does not fit the
// 260-character path buffers is refused and reads as not given.
std::string OptionValue(const std::u16string& value) {
  const std::string narrow = ToAnsi(value);
  return narrow.size() < static_cast<std::size_t>(kPathChars) ? narrow : std::string();
}

// A windowed program prints on its parent's console, when it has one.
void PrintUsage(const char* text) {
  platform::AttachParentConsole();
  if (!platform::ReopenStdoutOnConsole()) return;
  platform::WriteStdout(text, std::strlen(text));
  platform::FlushStdout();
}

}  // namespace

bool TMainForm::ParseCommandLine() {
  const std::vector<std::u16string>& arguments = platform::CommandLineW();
  outputFileName.clear();
  logFileName.clear();
  // An option that takes the next argument does not skip it: that argument
  // is tested as an option in its own turn.
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::u16string& argument = arguments[i];
    const bool hasNext = i + 1 < arguments.size();
    if (StartsWith(argument, u"-f:")) {
      // A name too long for the path buffer reads as a missing file later.
      iniFileName = ToAnsi(argument.substr(3));
    } else if (StartsWith(argument, u"-l") || StartsWith(argument, u"-p")) {
      logRequested = 1;
      if (hasNext) logFileName = OptionValue(arguments[i + 1]);
    } else if (StartsWith(argument, u"-o")) {
      if (hasNext) outputFileName = OptionValue(arguments[i + 1]);
    } else if (StartsWith(argument, u"-T")) {
      runMode = 1;
      break;
    } else if (StartsWith(argument, u"-DM")) {
      runMode = 2;
    }
  }
  bool printed = false;
  if (outputFileName.empty() && runMode != 1) {
    PrintUsage("\n[Usage] tconprobe -o output_file_name.xml\n");
    printed = true;
  }
  if (logRequested == 1 && logFileName.empty()) {
    PrintUsage("\n[Usage] tconprobe -p log_file_name.txt -o output_file_name.xml\n");
    printed = true;
  }
  return printed;
}

}  // namespace tconprobe
