#include "sim/core/host_path.h"

#include <vector>

#include "sim/core/text_codec.h"

namespace sim {
namespace {

bool IsSeparator(char16_t ch) { return ch == u'\\' || ch == u'/'; }

// The parts of a name below its root, with "." dropped and ".." taking back
// the part before it, as Windows normalises a full path.
std::string BelowRoot(std::u16string_view rest) {
  std::vector<std::u16string_view> parts;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const std::u16string_view part = rest.substr(start, end - start);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string path;
  for (std::u16string_view part : parts) path += "/" + Utf16ToUtf8(part);
  return path.empty() ? "/" : path;
}

}  // namespace

bool IsDeviceName(const std::u16string& name) {
  return name.rfind(u"\\\\.\\", 0) == 0 || name.rfind(u"\\\\?\\", 0) == 0;
}

bool HostPath(const std::u16string& name, const std::string& driveC, std::string* path) {
  if (name.empty() || IsDeviceName(name)) return false;
  if (name.size() >= 2 && name[1] == u':') {
    if (name[0] != u'C' && name[0] != u'c') return false;
    // C:x means C:\x here: the drive has no current directory of its own.
    *path = driveC + BelowRoot(std::u16string_view(name).substr(2));
    return true;
  }
  if (IsSeparator(name[0])) {
    if (name.size() >= 2 && IsSeparator(name[1])) return false;  // a network name
    *path = driveC + BelowRoot(name);
    return true;
  }
  std::string relative = Utf16ToUtf8(name);
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  *path = relative;
  return true;
}

}  // namespace sim
