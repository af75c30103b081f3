// The program's own file on the simulated machine: the name it was started
// by, and the build's own version as its version resource.
#include <cstring>
#include <string>

#include "platform/file_version.h"
#include "platform/process.h"
#include "sim/core/machine.h"
#include "sim/core/trace.h"

namespace platform {

std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t size) {
  if (size == 0) return 0;
  const std::string& name = CommandLineA().at(0);
  const std::size_t length = name.size() < size ? name.size() : size - 1;
  std::memcpy(buffer, name.data(), length);
  buffer[length] = '\0';
  return name.size() < size ? static_cast<std::uint32_t>(length) : size;
}

bool GetFileFixedVersion(const char* fileName, std::uint32_t* versionMs, std::uint32_t* versionLs) {
  const bool own = CommandLineA().at(0) == fileName;
  if (own) {
    *versionMs = SUITE_FILE_VERSION_MS;
    *versionLs = SUITE_FILE_VERSION_LS;
  }
  sim::Trace(std::string("version.GetFileVersionInfoA ") + fileName + " -> " + (own ? "1" : "0"));
  return own;
}

}  // namespace platform
