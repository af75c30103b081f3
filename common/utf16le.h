#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// UTF-16 text as Windows stores it in files, registry values and device
// records: little-endian code units, whatever the host's byte order.
namespace common {

// The bytes of the text, with a zero code unit after it when terminated.
std::vector<std::uint8_t> Utf16LeBytes(std::u16string_view text, bool terminated = false);
// Writes the text into bytes (two per code unit), without a terminator.
void PutUtf16Le(std::u16string_view text, std::uint8_t* bytes);
// The code unit at bytes[0], bytes[1].
char16_t Utf16LeUnit(const std::uint8_t* bytes);
// The text in size bytes: it ends at the first zero code unit, at the latest
// where the bytes end; an odd last byte is no character.
std::u16string Utf16LeText(const std::uint8_t* bytes, std::size_t size);

}  // namespace common
