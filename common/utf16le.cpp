#include "common/utf16le.h"

namespace common {

std::vector<std::uint8_t> Utf16LeBytes(std::u16string_view text, bool terminated) {
  std::vector<std::uint8_t> bytes(2 * (text.size() + (terminated ? 1 : 0)), 0);
  PutUtf16Le(text, bytes.data());
  return bytes;
}

void PutUtf16Le(std::u16string_view text, std::uint8_t* bytes) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
  }
}

char16_t Utf16LeUnit(const std::uint8_t* bytes) {
  return static_cast<char16_t>(bytes[0] | (bytes[1] << 8));
}

std::u16string Utf16LeText(const std::uint8_t* bytes, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const char16_t unit = Utf16LeUnit(bytes + i);
    if (unit == 0) break;
    text += unit;
  }
  return text;
}

}  // namespace common
