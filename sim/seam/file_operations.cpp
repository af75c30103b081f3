// Whole-file operations of the seam on host files.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_operations.h"
#include "platform/files.h"
#include "sim/core/machine.h"
#include "sim/core/trace.h"
#include "sim/seam/ansi_path.h"
#include "sim/seam/volume_room.h"
#include "sim/core/text_codec.h"

namespace {

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool CopyBytes(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return false;
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << in.rdbuf();
  return static_cast<bool>(out.flush());
}

}  // namespace

namespace platform {

// The host's current directory by its Windows name: below C:\ when it lies
// in the drive folder, else "." (no other drive exists), which still names
// it for every path built on it.
std::uint32_t GetCurrentDirectoryA(std::uint32_t size, char* buffer) {
  char host[4096];
  if (::getcwd(host, sizeof host) == nullptr) return 0;
  std::error_code error;
  const std::filesystem::path drive = std::filesystem::weakly_canonical(sim::CurrentMachine().driveC, error);
  const std::filesystem::path below = std::filesystem::path(host).lexically_relative(drive);
  std::string name = ".";
  if (!error && !below.empty() && *below.begin() != "..") {
    name = below == "." ? "C:\\" : "C:\\" + below.generic_string();
    for (char& c : name) {
      if (c == '/') c = '\\';
    }
  }
  const std::string ansi = sim::Utf8ToAnsi(name);
  if (ansi.size() + 1 > size) return static_cast<std::uint32_t>(ansi.size() + 1);
  std::memcpy(buffer, ansi.c_str(), ansi.size() + 1);
  return static_cast<std::uint32_t>(ansi.size());
}

bool CopyFileA(const char* existingName, const char* newName, bool failIfExists) {
  std::string from, to;
  const bool ok = sim::AnsiHostPath(existingName, &from) && sim::AnsiHostPath(newName, &to) &&
                  Exists(from) && !(failIfExists && Exists(to)) && CopyBytes(from, to);
  sim::Trace("file.copy " + sim::AnsiToUtf8(existingName) + " to " + sim::AnsiToUtf8(newName) + " -> " +
             (ok ? "1" : "0"));
  return ok;
}

bool DeleteFileA(const char* name) {
  std::string path;
  const bool found = sim::AnsiHostPath(name, &path);
  if (found) sim::ReleaseRoomOf(path);
  const bool ok = found && ::unlink(path.c_str()) == 0;
  sim::Trace("file.delete " + sim::AnsiToUtf8(name) + " -> " + (ok ? "1" : "0"));
  return ok;
}

bool MoveFileExA(const char* from, const char* to, std::uint32_t flags) {
  return MoveFileExW(sim::Utf8ToUtf16(sim::AnsiToUtf8(from)).c_str(), sim::Utf8ToUtf16(sim::AnsiToUtf8(to)).c_str(),
                     flags);
}

// The host's absolute form of the file, in the ANSI code page.
std::string GetFullPathNameA(const char* name) {
  std::string path;
  if (name == nullptr || !sim::AnsiHostPath(name, &path)) return "";
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(path, error).lexically_normal();
  return error ? "" : sim::Utf8ToAnsi(full.string());
}

}  // namespace platform
