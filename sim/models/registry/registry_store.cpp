#include "sim/models/registry/registry_store.h"

#include "common/ascii_case.h"
#include "sim/core/text_codec.h"

namespace sim {

std::u16string NormalizeKeyPath(const std::u16string& path) {
  std::u16string out;
  for (char16_t ch : path) {
    if (ch == u'\\' && (out.empty() || out.back() == u'\\')) continue;
    out += ch;
  }
  while (!out.empty() && out.back() == u'\\') out.pop_back();
  return out;
}

bool RegistryStore::KeyExists(Hive hive, const std::u16string& path) const {
  const auto& keys = hives_[static_cast<int>(hive)];
  return path.empty() || keys.count(common::UpperAscii(NormalizeKeyPath(path))) != 0;
}

RegKeyData& RegistryStore::CreateKey(Hive hive, const std::u16string& path) {
  auto& keys = hives_[static_cast<int>(hive)];
  const std::u16string normal = NormalizeKeyPath(path);
  RegKeyData* last = nullptr;
  std::size_t pos = 0;
  while (true) {
    const std::size_t end = normal.find(u'\\', pos);
    const std::u16string prefix = normal.substr(0, end);
    auto [it, added] = keys.try_emplace(common::UpperAscii(prefix));
    if (added) it->second.path = prefix;
    last = &it->second;
    if (end == std::u16string::npos) break;
    pos = end + 1;
  }
  return *last;
}

RegKeyData* RegistryStore::FindKey(Hive hive, const std::u16string& path) {
  auto& keys = hives_[static_cast<int>(hive)];
  auto it = keys.find(common::UpperAscii(NormalizeKeyPath(path)));
  return it == keys.end() ? nullptr : &it->second;
}

const RegValue* RegistryStore::FindValue(Hive hive, const std::u16string& path,
                                         const std::u16string& name) const {
  const auto& keys = hives_[static_cast<int>(hive)];
  auto key = keys.find(common::UpperAscii(NormalizeKeyPath(path)));
  if (key == keys.end()) return nullptr;
  auto value = key->second.values.find(common::UpperAscii(name));
  return value == key->second.values.end() ? nullptr : &value->second;
}

void RegistryStore::SetValue(Hive hive, const std::u16string& path, RegValue value) {
  RegKeyData& key = CreateKey(hive, path);
  auto [it, added] = key.values.try_emplace(common::UpperAscii(value.name), value);
  if (!added) {
    it->second.type = value.type;  // the name keeps its first spelling
    it->second.data = std::move(value.data);
  }
}

const std::map<std::u16string, RegKeyData>& RegistryStore::Keys(Hive hive) const {
  return hives_[static_cast<int>(hive)];
}

const char* HiveShortName(Hive hive) {
  switch (hive) {
    case Hive::LocalMachine: return "HKLM";
    case Hive::CurrentUser: return "HKCU";
    case Hive::ClassesRoot: return "HKCR";
    case Hive::Users: return "HKU";
  }
  return "?";
}

std::optional<Hive> HiveFromName(const std::string& name) {
  struct HiveName {
    const char* shortName;
    const char* longName;
    Hive hive;
  };
  static constexpr HiveName kNames[] = {{"HKLM", "HKEY_LOCAL_MACHINE", Hive::LocalMachine},
                                        {"HKCU", "HKEY_CURRENT_USER", Hive::CurrentUser},
                                        {"HKCR", "HKEY_CLASSES_ROOT", Hive::ClassesRoot},
                                        {"HKU", "HKEY_USERS", Hive::Users}};
  // Like every registry name, a hive's compares without regard to case.
  for (const HiveName& entry : kNames) {
    if (common::SameIgnoringAsciiCase(name, std::string_view(entry.shortName)) ||
        common::SameIgnoringAsciiCase(name, std::string_view(entry.longName))) {
      return entry.hive;
    }
  }
  return std::nullopt;
}

}  // namespace sim
