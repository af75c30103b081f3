#include "inventory/common/registry_text.h"

#include <cstdint>

#include "common/utf16le.h"

namespace inventory {

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
  *text = common::Utf16LeText(buffer, size < sizeof buffer ? size : sizeof buffer);
  return true;
}

}  // namespace inventory
