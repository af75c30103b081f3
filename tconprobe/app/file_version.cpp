#include <cstdio>
#include <string>

#include "platform/file_version.h"
#include "tconprobe/app/main_form.h"

namespace tconprobe {

std::string FileVersionText(const char* fileName) {
  std::uint32_t high = 0, low = 0;
  if (!platform::GetFileFixedVersion(fileName, &high, &low)) return {};
  char text[48];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(high >> 16),
                static_cast<unsigned>(high & 0xFFFF), static_cast<unsigned>(low >> 16),
                static_cast<unsigned>(low & 0xFFFF));
  return text;
}

// A name cut to fit the buffer is no name.
std::string OwnFileName() {
  char name[kPathChars];
  const std::uint32_t length = platform::GetModuleFileNameA(name, sizeof name);
  if (length == 0 || length >= sizeof name) return {};
  return std::string(name, length);
}

}  // namespace tconprobe
