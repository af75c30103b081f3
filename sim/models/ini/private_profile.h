#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A private-profile (INI) file as the platform's profile calls see it: the
// file is read into sections of keys, and a change writes the whole file
// back in the platform's own layout. Values in, values out: the caller
// reads and writes the bytes.
namespace sim::ini {

struct Key {
  std::string name;
  std::optional<std::string> value;  // none: a line without '='
};

struct Section {
  std::string name;  // empty: the lines before the first section
  std::vector<Key> keys;
};

struct Profile {
  bool utf8Bom = false;
  std::vector<Section> sections;  // the first one is the nameless one
};

Profile Parse(std::string_view bytes);
std::string Serialize(const Profile& profile);

// What GetPrivateProfileString copies into a buffer of `size` bytes (the
// terminator not included): the value of the key, or the default, with the
// platform's trimming and quote stripping. A null profile is a missing file.
std::string ReadString(const Profile* profile, std::string_view section, std::string_view key,
                       std::string_view defaultValue, std::uint32_t size);

// WritePrivateProfileString's three forms. Each returns whether the profile
// changed (the file is then written back).
bool SetString(Profile& profile, std::string_view section, std::string_view key,
               std::string_view value);
bool DeleteKey(Profile& profile, std::string_view section, std::string_view key);
bool DeleteSection(Profile& profile, std::string_view section);

}  // namespace sim::ini
