#include "inventory/common/registry_text.h"

#include <cstdint>

namespace {
constexpr std::uint32_t kValueBufferBytes = 1024;
}  // namespace

bool QueryWideText(platform::RegKey key, const char16_t* name, std::u16string* text) {
  std::uint8_t buffer[kValueBufferBytes] = {};
  std::uint32_t size = sizeof buffer;
  std::uint32_t type = 0;
  if (platform::RegQueryValueW(key, name, &type, buffer, &size) != platform::kSuccess) return false;
  // The size comes from the registry: never read past the buffer, and an odd
  // last byte is no character.
  const std::size_t units = (size < sizeof buffer ? size : sizeof buffer) / 2;
  text->clear();
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t ch = static_cast<char16_t>(buffer[2 * i] | (buffer[2 * i + 1] << 8));
    if (ch == 0) break;
    *text += ch;
  }
  return true;
}
