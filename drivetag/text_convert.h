#pragma once
#include <string>
#include <string_view>

// Conversions between the UTF-16 facts and the narrow texts that travel to
// and from the drives and into the log.
namespace drivetag {

// WideCharToMultiByte / MultiByteToWideChar with the thread's ANSI code page;
// characters without a narrow form become the system's default character.
std::string ToThreadAnsi(std::u16string_view text);
std::u16string FromThreadAnsi(std::string_view text);
// The same with the process ANSI code page, for the log file.
std::string ToAnsi(std::u16string_view text);

// Each UTF-16 code unit cut to its low byte; the text ends at the first zero
// that this gives, as a C string would.
std::string LowBytes(std::u16string_view text);

std::u16string Widen(std::string_view ascii);
std::u16string Decimal(long value);

}  // namespace drivetag
