#pragma once
#include <string>
#include <string_view>

// Case rules of Windows names that only fold the ASCII letters (device and
// enumerator names, registry paths, GUID texts); other characters compare
// as they are.
namespace common {

char16_t UpperAscii(char16_t ch);
std::u16string UpperAscii(std::u16string_view text);
std::string UpperAscii(std::string_view text);
bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace common
