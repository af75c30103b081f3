#pragma once
#include <string>
#include <string_view>
#include <vector>
#include <cstdint>

// Text conversions of the simulated machine: UTF-8 is what Linux and the
// machine files use, Windows-1252 is the simulated ANSI code page.
namespace sim {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// Every byte has a character in Windows-1252 except five unassigned ones,
// which map to the same code point as Windows does.
char16_t AnsiByteToWide(unsigned char byte);
// Returns false when the character has no ANSI form.
bool WideToAnsiByte(char16_t ch, unsigned char* byte);
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view text);
// A number as the trace shows it: 0x and upper-case digits.
std::string HexNumber(std::uint32_t value);
// Lower-case hexadecimal digits, two per byte.
std::string ToHex(const std::vector<std::uint8_t>& bytes);

}  // namespace sim
