// The "registry" section of the machine file.
#include "sim/models/registry/registry_file.h"

#include <cstring>

#include "common/utf16le.h"
#include "sim/core/json_reader.h"
#include "sim/core/text_codec.h"

namespace sim {
namespace {

struct TypeNameEntry {
  const char* name;
  std::uint32_t type;
};
constexpr TypeNameEntry kTypeNames[] = {{"REG_NONE", 0},  {"REG_SZ", 1},       {"REG_EXPAND_SZ", 2},
                                        {"REG_BINARY", 3}, {"REG_DWORD", 4},   {"REG_MULTI_SZ", 7},
                                        {"REG_QWORD", 11}};

// REG_SZ data that a plain JSON string gives back unchanged.
bool IsPlainString(const RegValue& value, std::u16string* text) {
  const auto& d = value.data;
  if (value.type != 1 || d.size() < 2 || d.size() % 2 != 0) return false;
  text->clear();
  for (std::size_t i = 0; i + 2 < d.size(); i += 2) {
    const char16_t ch = common::Utf16LeUnit(&d[i]);
    if (ch == 0) return false;
    text->push_back(ch);
  }
  return d[d.size() - 2] == 0 && d[d.size() - 1] == 0;
}

bool LoadValue(const std::string& where, const Json& json, RegValue* value, std::string* error) {
  if (json.is_string()) {
    value->type = 1;
    value->data = common::Utf16LeBytes(Utf8ToUtf16(json.get<std::string>()), true);
    return true;
  }
  if (json.is_number_unsigned() || (json.is_number_integer() && json.get<long long>() >= 0)) {
    const auto number = json.get<unsigned long long>();
    if (number > 0xFFFFFFFFull) {
      *error = where + " does not fit a REG_DWORD";
      return false;
    }
    value->type = 4;
    value->data.resize(4);
    for (int i = 0; i < 4; ++i) value->data[i] = static_cast<std::uint8_t>(number >> (8 * i));
    return true;
  }
  if (!json.is_object()) {
    *error = where + " must be a string, a whole number or {\"type\", \"hex\"}";
    return false;
  }
  for (const auto& [key, item] : json.items()) {
    if (key != "type" && key != "hex") {
      *error = where + ": unknown key \"" + key + "\"";
      return false;
    }
  }
  const auto type = json.find("type");
  const auto hex = json.find("hex");
  if (type == json.end() || hex == json.end() || !hex->is_string()) {
    *error = where + " needs \"type\" and \"hex\"";
    return false;
  }
  if (type->is_number_unsigned()) {
    value->type = type->get<std::uint32_t>();
  } else {
    bool known = false;
    for (const auto& entry : kTypeNames) {
      if (type->is_string() && type->get<std::string>() == entry.name) {
        value->type = entry.type;
        known = true;
      }
    }
    if (!known) {
      *error = where + ": \"type\" must be a number or a REG_ name";
      return false;
    }
  }
  if (!ParseHex(hex->get<std::string>(), &value->data)) {
    *error = where + ": \"hex\" must be pairs of hexadecimal digits";
    return false;
  }
  return true;
}

}  // namespace

bool LoadRegistrySection(const Json& section, RegistryStore& registry, std::string* error) {
  if (!ExpectType(section, Json::value_t::object, "\"registry\"", error)) return false;
  for (const auto& [keyName, values] : section.items()) {
    const std::string where = "registry key \"" + keyName + "\"";
    const auto slash = keyName.find('\\');
    const auto hive = HiveFromName(keyName.substr(0, slash));
    if (!hive) {
      *error = where + " must start with HKLM, HKCU, HKCR or HKU";
      return false;
    }
    if (!ExpectType(values, Json::value_t::object, where, error)) return false;
    const std::u16string path =
        slash == std::string::npos ? u"" : Utf8ToUtf16(keyName.substr(slash + 1));
    registry.CreateKey(*hive, path);
    for (const auto& [valueName, json] : values.items()) {
      RegValue value;
      value.name = Utf8ToUtf16(valueName);
      if (!LoadValue(where + " value \"" + valueName + "\"", json, &value, error)) return false;
      registry.SetValue(*hive, path, std::move(value));
    }
  }
  return true;
}

void SaveRegistrySection(const RegistryStore& registry, Json& section) {
  section = Json::object();
  for (Hive hive : {Hive::LocalMachine, Hive::CurrentUser, Hive::ClassesRoot, Hive::Users}) {
    for (const auto& [upper, key] : registry.Keys(hive)) {
      Json values = Json::object();
      for (const auto& [upperName, value] : key.values) {
        std::u16string text;
        const std::string name = Utf16ToUtf8(value.name);
        if (IsPlainString(value, &text)) {
          values[name] = Utf16ToUtf8(text);
        } else if (value.type == 4 && value.data.size() == 4) {
          std::uint32_t number = 0;
          std::memcpy(&number, value.data.data(), 4);
          values[name] = number;
        } else {
          values[name] = Json{{"type", value.type}, {"hex", ToHex(value.data)}};
        }
      }
      // Parents are implied by their children; keep only keys that say more.
      bool hasChild = false;
      const std::u16string prefix = upper + u"\\";
      auto next = registry.Keys(hive).upper_bound(upper);
      if (next != registry.Keys(hive).end() && next->first.rfind(prefix, 0) == 0) hasChild = true;
      if (!values.empty() || !hasChild) {
        section[std::string(HiveShortName(hive)) + "\\" + Utf16ToUtf8(key.path)] = values;
      }
    }
  }
}

}  // namespace sim
