// Text-mode C streams of the seam, with the Windows line-end translation.
#include <cstdio>
#include <string>

#include "platform/files.h"
#include "sim/core/handles.h"
#include "sim/core/host_path.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/text_stream.h"
#include "sim/core/trace.h"
#include "sim/seam/volume_room.h"

namespace sim {

std::string ToTextMode(const char* text, std::size_t length) {
  std::string out;
  out.reserve(length + length / 8);
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] == '\n') out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace sim

namespace platform {

struct TextFile {
  std::FILE* file;
  bool failed;  // a write was cut short, as ferror would tell
};

TextFile* OpenTextFile(const char* path, const char* mode) {
  std::string hostPath;
  std::string binaryMode;
  for (const char* m = mode; *m != 0; ++m) {
    if (*m != 't' && *m != 'b') binaryMode += *m;
  }
  binaryMode += 'b';
  std::u16string wide;
  for (const char* p = path; *p != 0; ++p) wide += sim::AnsiByteToWide(static_cast<unsigned char>(*p));
  std::FILE* file = nullptr;
  if (sim::HostPath(wide, sim::CurrentMachine().driveC, &hostPath)) {
    if (binaryMode[0] == 'w') sim::ReleaseRoomOf(hostPath);  // truncated: its space is free again
    file = std::fopen(hostPath.c_str(), binaryMode.c_str());
  } else {
    // A device or network name is no file the C runtime can open here.
    sim::SetLastError(sim::IsDeviceName(wide) ? kErrorFileNotFound : kErrorPathNotFound);
  }
  sim::Trace("file.text " + sim::Utf16ToUtf8(wide) + " mode=" + mode + " -> " +
             (file != nullptr ? "0" : "failed"));
  if (file == nullptr) return nullptr;
  return new TextFile{file, false};
}

bool WriteText(TextFile* file, const char* text, std::size_t length) {
  if (file == nullptr) return false;
  const std::string bytes = sim::ToTextMode(text, length);
  const std::size_t room = sim::TakeRoom(bytes.size());
  const bool whole = std::fwrite(bytes.data(), 1, room, file->file) == bytes.size();
  if (room < bytes.size()) sim::EndIfKilledWhenFull();
  if (!whole) file->failed = true;
  return whole;
}

void FlushTextFile(TextFile* file) {
  if (file != nullptr) std::fflush(file->file);
}

bool CloseTextFile(TextFile* file) {
  if (file == nullptr) return false;
  const bool closed = std::fclose(file->file) == 0;
  const bool whole = closed && !file->failed;
  delete file;
  return whole;
}

}  // namespace platform
