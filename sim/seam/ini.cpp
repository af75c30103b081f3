// The private-profile calls of the seam: the profile model over host files.
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/ini.h"
#include "sim/core/machine.h"
#include "sim/core/trace.h"
#include "sim/models/ini/private_profile.h"
#include "sim/seam/ansi_path.h"

namespace {

// The file's bytes; none when it cannot be read.
std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Quoted(const char* text) { return text == nullptr ? "null" : "\"" + std::string(text) + "\""; }

}  // namespace

namespace platform {

std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                       char* buffer, std::uint32_t size, const char* fileName) {
  std::string path;
  std::optional<sim::ini::Profile> profile;
  if (sim::AnsiHostPath(fileName, &path)) {
    if (const std::optional<std::string> bytes = ReadBytes(path)) profile = sim::ini::Parse(*bytes);
  }
  const std::string value = sim::ini::ReadString(profile ? &*profile : nullptr, section, key,
                                                 defaultValue != nullptr ? defaultValue : "", size);
  if (size != 0) {
    std::memcpy(buffer, value.data(), value.size());
    buffer[value.size()] = '\0';
  }
  sim::Trace("ini.read " + std::string(fileName) + " [" + section + "] " + Quoted(key) + " size=" +
             std::to_string(size) + (profile ? "" : " missing") + " -> " + std::to_string(value.size()));
  return static_cast<std::uint32_t>(value.size());
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
  std::string path;
  bool ok = sim::AnsiHostPath(fileName, &path);
  if (ok) {
    const std::optional<std::string> bytes = ReadBytes(path);
    sim::ini::Profile profile = sim::ini::Parse(bytes ? *bytes : std::string());
    const bool changed = key == nullptr     ? sim::ini::DeleteSection(profile, section)
                         : value == nullptr ? sim::ini::DeleteKey(profile, section, key)
                                            : sim::ini::SetString(profile, section, key, value);
    if (changed) {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out << sim::ini::Serialize(profile);
      ok = static_cast<bool>(out.flush());
    }
  }
  sim::Trace("ini.write " + std::string(fileName) + " [" + section + "] " + Quoted(key) + " " + Quoted(value) +
             " -> " + (ok ? "1" : "0"));
  return ok;
}

}  // namespace platform
