#include "sim/models/ini/private_profile.h"

#include <algorithm>

namespace sim::ini {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Blanks as the profile reader sees them, the end-of-file mark included.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimStart(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimEnd(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// Lookups for reading and writing trim the names asked for; the section that
// counts is the first one of that name, even when a later one has the key.
template <typename Items>
auto* FindNamed(Items& items, std::string_view name) {
  const std::string_view wanted = Trim(name);
  for (auto& item : items) {
    if (SameName(item.name, wanted)) return &item;
  }
  return static_cast<decltype(&items[0])>(nullptr);
}

// A value written in matching quotes is read without them; the buffer is
// filled as lstrcpyn fills it, and the closing quote dropped when it fit.
std::string CopyEntry(std::string_view value, std::uint32_t size) {
  if (size == 0) return {};
  bool quoted = false;
  if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::string out(value.substr(0, std::min<std::size_t>(value.size(), size - 1)));
  if (quoted && size >= value.size() && !out.empty()) out.pop_back();
  return out;
}

void AddLine(Section& section, std::string_view line) {
  const std::size_t equals = line.find('=');
  Key key;
  if (equals == std::string_view::npos) {
    key.name = std::string(line);
  } else {
    key.name = std::string(TrimEnd(line.substr(0, equals)));
    std::string_view value = line.substr(equals + 1);
    while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
    key.value = std::string(value);
  }
  // Lines with no name are kept one at a time, not in runs.
  if (key.name.empty() && !section.keys.empty() && section.keys.back().name.empty()) return;
  section.keys.push_back(std::move(key));
}

}  // namespace

Profile Parse(std::string_view bytes) {
  Profile profile;
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    profile.utf8Bom = true;
    bytes.remove_prefix(kUtf8Bom.size());
  }
  profile.sections.emplace_back();
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    const std::string_view line = Trim(bytes.substr(0, end));
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (line.empty()) continue;
    const std::size_t close = line.rfind(']');
    if (line.front() == '[' && close != std::string_view::npos) {
      profile.sections.push_back(Section{std::string(Trim(line.substr(1, close - 1))), {}});
      continue;
    }
    AddLine(profile.sections.back(), line);
  }
  return profile;
}

std::string Serialize(const Profile& profile) {
  std::string out = profile.utf8Bom ? std::string(kUtf8Bom) : std::string();
  for (const Section& section : profile.sections) {
    if (!section.name.empty()) out += "[" + section.name + "]\r\n";
    for (const Key& key : section.keys) {
      out += key.name;
      if (key.value) out += "=" + *key.value;
      out += "\r\n";
    }
  }
  return out;
}

std::string ReadString(const Profile* profile, std::string_view section, std::string_view key,
                       std::string_view defaultValue, std::uint32_t size) {
  if (profile != nullptr) {
    const Section* found = FindNamed(profile->sections, section);
    const Key* entry = found != nullptr ? FindNamed(found->keys, key) : nullptr;
    if (entry != nullptr && entry->value) return CopyEntry(*entry->value, size);
  }
  return CopyEntry(TrimEnd(defaultValue), size);
}

// A new section or key keeps the name as asked, less its leading blanks.
bool SetString(Profile& profile, std::string_view section, std::string_view key, std::string_view value) {
  Section* target = FindNamed(profile.sections, section);
  if (target == nullptr) {
    profile.sections.push_back(Section{std::string(TrimStart(section)), {}});
    target = &profile.sections.back();
  }
  const std::string stored(Trim(value));
  Key* entry = FindNamed(target->keys, key);
  if (entry == nullptr) {
    target->keys.push_back(Key{std::string(TrimStart(key)), stored});
    return true;
  }
  if (entry->value && *entry->value == stored) return false;
  entry->value = stored;
  return true;
}

// Removing names the section and key as given, and looks through every
// section of that name for the key.
bool DeleteKey(Profile& profile, std::string_view section, std::string_view key) {
  for (Section& candidate : profile.sections) {
    if (!SameName(candidate.name, section)) continue;
    for (auto it = candidate.keys.begin(); it != candidate.keys.end(); ++it) {
      if (SameName(it->name, key)) {
        candidate.keys.erase(it);
        return true;
      }
    }
  }
  return false;
}

bool DeleteSection(Profile& profile, std::string_view section) {
  for (auto it = profile.sections.begin() + 1; it != profile.sections.end(); ++it) {
    if (SameName(it->name, section)) {
      profile.sections.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace sim::ini
