#include "inventory/recoveryscan/arguments.h"

#include <cstring>

#include "platform/console.h"
#include "platform/file_operations.h"
#include "platform/files.h"

namespace inventory::recoveryscan {
namespace {

constexpr const char* kUsage[] = {
    "Usage: recoveryscan.exe [option ....] [arguments]",
    "Options:",
    "-o <filename> - Redirect output result XML into a give file, <filename>",
    "-l <filename> - Append runtime log message to a specified log file",
    "-p <filename> - -l and -p are the same behavior",
    "-help -Show all valid CLI options and syntax that is supported",
};

constexpr char kNamedLogStart[] = "Valtorin inventory starts \n";

// Options compare as the C runtime's case-blind comparison does: ASCII
// letters only.
bool EqualIgnoringCase(const std::string& argument, const char* option) {
  const std::size_t length = std::strlen(option);
  if (argument.size() != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    char a = argument[i], b = option[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// A name of kNameBufferChars characters or more does not fit its buffer.
bool CopyName(const std::string& name, char (&buffer)[kNameBufferChars]) {
  if (name.size() >= kNameBufferChars) return false;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return true;
}

bool Fail() {
  PrintUsage();
  return false;
}

}  // namespace

bool NameTheSameFile(const char* first, const char* second) {
  std::string a = platform::GetFullPathNameA(first), b = platform::GetFullPathNameA(second);
  if (a.empty() || b.empty()) {
    a = first;
    b = second;
  }
  return EqualIgnoringCase(a, b.c_str());
}

void PrintUsage() {
  for (const char* line : kUsage) {
    platform::WriteStdout(line, std::strlen(line));
    platform::WriteStdout("\n", 1);
    platform::FlushStdout();
  }
}

bool ParseRecoveryArguments(const std::vector<std::string>& arguments, RecoveryArguments* parsed,
                            RunLog& log) {
  if (arguments.empty()) return Fail();
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool hasNext = i + 1 < arguments.size();
    if (EqualIgnoringCase(argument, "-o") || EqualIgnoringCase(argument, "/o")) {
      if (!hasNext || !CopyName(arguments[++i], parsed->outputName)) return Fail();
    } else if (EqualIgnoringCase(argument, "-help") || EqualIgnoringCase(argument, "/help") || argument == "?") {
      return Fail();
    } else if (EqualIgnoringCase(argument, "-l") || EqualIgnoringCase(argument, "-p")) {
      if (!hasNext) {
        PrintUsage();  // the scan is at its end; the run goes on
        continue;
      }
      char logName[kNameBufferChars] = {};
      if (!CopyName(arguments[++i], logName)) return Fail();
      log.Open(logName, kNamedLogStart);
    }
  }
  return true;
}

}  // namespace inventory::recoveryscan
