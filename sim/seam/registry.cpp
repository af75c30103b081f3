// The registry calls of the seam, answered from the machine's registry.
#include <cstdio>
#include <cstring>

#include "platform/registry.h"
#include "common/ascii_case.h"
#include "common/utf16le.h"
#include "sim/core/handle_table.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"
#include "sim/seam/start.h"

namespace platform {
namespace {

struct OpenKey {
  sim::Hive hive;
  std::u16string path;  // after the view's redirection
  std::uint32_t access;
};

using KeyTable = sim::HandleTable<RegKey, OpenKey>;

KeyTable& Keys() {
  static KeyTable table(0x1000, 4);
  return table;
}

constexpr std::uint32_t kWriteRights = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;

bool RootHive(RegKey key, sim::Hive* hive) {
  switch (key) {
    case kHkeyLocalMachine: *hive = sim::Hive::LocalMachine; return true;
    case kHkeyCurrentUser: *hive = sim::Hive::CurrentUser; return true;
    case kHkeyClassesRoot: *hive = sim::Hive::ClassesRoot; return true;
    case kHkeyUsers: *hive = sim::Hive::Users; return true;
    default: return false;
  }
}

const char* ViewName(std::uint32_t access) {
  if (!sim::CurrentMachine().windows64) return "none";
  return (access & kKeyWow64_64Key) != 0 ? "64" : "32";
}

// On a 64-bit Windows the 32-bit view of HKLM\SOFTWARE lives under
// SOFTWARE\WOW6432Node; a view flag left out is the 32-bit program's view.
std::u16string ApplyView(sim::Hive hive, const std::u16string& path, std::uint32_t access) {
  if (!sim::CurrentMachine().windows64 || hive != sim::Hive::LocalMachine ||
      (access & kKeyWow64_64Key) != 0) {
    return path;
  }
  const std::u16string normal = sim::NormalizeKeyPath(path);
  const std::u16string upper = common::UpperAscii(normal);
  if (upper != u"SOFTWARE" && upper.rfind(u"SOFTWARE\\", 0) != 0) return normal;
  if (upper == u"SOFTWARE\\WOW6432NODE" || upper.rfind(u"SOFTWARE\\WOW6432NODE\\", 0) == 0) {
    return normal;
  }
  return normal.substr(0, 8) + u"\\WOW6432Node" + normal.substr(8);
}

// Resolves root + subKey to hive and full path; false for an unknown handle.
bool Resolve(RegKey root, const std::u16string& subKey, std::uint32_t access, OpenKey* out) {
  sim::Hive hive;
  if (RootHive(root, &hive)) {
    *out = OpenKey{hive, ApplyView(hive, subKey, access), access};
    return true;
  }
  const OpenKey* parent = Keys().Find(root);
  if (parent == nullptr) return false;
  const std::u16string& base = parent->path;
  *out = OpenKey{parent->hive,
                 sim::NormalizeKeyPath(base.empty() ? subKey : base + u"\\" + subKey), access};
  return true;
}

std::string Describe(const OpenKey& key) {
  return std::string(sim::HiveShortName(key.hive)) + "\\" + sim::Utf16ToUtf8(key.path);
}

Status Traced(Status status, const std::string& line) {
  sim::Trace(line + " -> " + std::to_string(status));
  return status;
}

Status Open(RegKey root, const std::u16string& subKey, std::uint32_t access, RegKey* key,
            bool create) {
  OpenKey target;
  if (!Resolve(root, subKey, access, &target)) return kErrorInvalidHandle;
  const std::string line = std::string(create ? "reg.create " : "reg.open ") + Describe(target) +
                           " view=" + ViewName(access) + " access=" + sim::HexNumber(access);
  sim::Machine& machine = sim::CurrentMachine();
  const bool writes = create || (access & kWriteRights) != 0;
  if (target.hive == sim::Hive::LocalMachine && writes && !machine.administrator) {
    return Traced(kErrorAccessDenied, line);
  }
  if (!machine.registry.KeyExists(target.hive, target.path)) {
    if (!create) return Traced(kErrorFileNotFound, line);
    machine.registry.CreateKey(target.hive, target.path);
    sim::MarkChanged();
  }
  *key = Keys().Add(target);
  return Traced(kSuccess, line);
}

Status Query(RegKey key, const std::u16string& name, bool ansi, std::uint32_t* type,
             std::uint8_t* data, std::uint32_t* size) {
  const OpenKey* found = Keys().Find(key);
  if (found == nullptr) return kErrorInvalidHandle;
  const OpenKey& open = *found;
  const std::string line = std::string(ansi ? "reg.queryA " : "reg.query ") + Describe(open) +
                           " \"" + sim::Utf16ToUtf8(name) + "\" size=" +
                           (size != nullptr ? std::to_string(*size) : "none");
  if ((open.access & kKeyQueryValue) == 0) return Traced(kErrorAccessDenied, line);
  const sim::RegValue* value =
      sim::CurrentMachine().registry.FindValue(open.hive, open.path, name);
  if (value == nullptr) return Traced(kErrorFileNotFound, line);
  std::vector<std::uint8_t> bytes = value->data;
  const bool text = value->type == kRegSz || value->type == kRegExpandSz || value->type == kRegMultiSz;
  if (ansi && text) {  // the A call hands string data over in the ANSI code page
    std::vector<std::uint8_t> narrow;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      unsigned char b = '?';
      sim::WideToAnsiByte(common::Utf16LeUnit(&bytes[i]), &b);
      narrow.push_back(b);
    }
    bytes = std::move(narrow);
  }
  if (type != nullptr) *type = value->type;
  if (size == nullptr) return Traced(data == nullptr ? kSuccess : kErrorInvalidParameter, line);
  const auto needed = static_cast<std::uint32_t>(bytes.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    return Traced(kErrorMoreData, line);
  }
  if (data != nullptr && needed != 0) std::memcpy(data, bytes.data(), needed);
  *size = needed;
  return Traced(kSuccess, line + " type=" + std::to_string(value->type) + " bytes=" +
                              std::to_string(needed));
}

}  // namespace
}  // namespace platform

void sim::ResetRegistryKeys() { platform::Keys().Clear(); }

namespace platform {

Status RegOpenKeyW(RegKey root, const char16_t* subKey, std::uint32_t access, RegKey* key) {
  return Open(root, subKey != nullptr ? subKey : u"", access, key, false);
}

Status RegOpenKeyA(RegKey root, const char* subKey, std::uint32_t access, RegKey* key) {
  std::u16string wide;
  for (const char* p = subKey; p != nullptr && *p != 0; ++p) {
    wide += sim::AnsiByteToWide(static_cast<unsigned char>(*p));
  }
  return Open(root, wide, access, key, false);
}

Status RegCreateKeyW(RegKey root, const char16_t* subKey, std::uint32_t, std::uint32_t access,
                     RegKey* key) {
  return Open(root, subKey != nullptr ? subKey : u"", access, key, true);
}

Status RegQueryValueW(RegKey key, const char16_t* name, std::uint32_t* type, std::uint8_t* data,
                      std::uint32_t* size) {
  return Query(key, name != nullptr ? name : u"", false, type, data, size);
}

Status RegQueryValueA(RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                      std::uint32_t* size) {
  std::u16string wide;
  for (const char* p = name; p != nullptr && *p != 0; ++p) {
    wide += sim::AnsiByteToWide(static_cast<unsigned char>(*p));
  }
  return Query(key, wide, true, type, data, size);
}

Status RegSetValueW(RegKey key, const char16_t* name, std::uint32_t type, const std::uint8_t* data,
                    std::uint32_t size) {
  const OpenKey* found = Keys().Find(key);
  if (found == nullptr) return kErrorInvalidHandle;
  const OpenKey& open = *found;
  sim::RegValue value;
  value.name = name != nullptr ? name : u"";
  value.type = type;
  if (data != nullptr) value.data.assign(data, data + size);
  const std::string line = "reg.set " + Describe(open) + " \"" + sim::Utf16ToUtf8(value.name) +
                           "\" type=" + std::to_string(type) + " bytes=" + sim::ToHex(value.data);
  if ((open.access & kKeySetValue) == 0) return Traced(kErrorAccessDenied, line);
  sim::CurrentMachine().registry.SetValue(open.hive, open.path, std::move(value));
  sim::MarkChanged();
  return Traced(kSuccess, line);
}

Status RegCloseKey(RegKey key) {
  sim::Hive hive;
  if (RootHive(key, &hive)) return kSuccess;
  return Keys().Remove(key) ? kSuccess : kErrorInvalidHandle;
}

}  // namespace platform
