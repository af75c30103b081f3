#pragma once
#include <string>
#include <string_view>

// The run log and the console lines of drivetag.
namespace drivetag {

inline constexpr char kLogPath[] = "C:\\ProgramData\\Orvo\\Tallyhub\\Log\\THHOSTMetadata.txt";

// Appends one line stamped with the local time. The file is opened and
// closed for every line; a file that cannot be opened loses the line.
void WriteLogLine(std::u16string_view message);

// A drive's value or a host fact as part of one log line: CR and LF become
// blanks, so that no value can start a line without the time stamp.
std::u16string OnOneLine(std::u16string value);

// Standard output: narrow bytes as they are, wide text in the ANSI code page.
void Say(std::string_view text);
void SayWide(std::u16string_view text);

}  // namespace drivetag
