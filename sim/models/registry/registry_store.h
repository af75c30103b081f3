#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The registry of the simulated machine: keys by full path below a hive,
// names compared without regard to case but kept as first written.
namespace sim {

enum class Hive { LocalMachine, CurrentUser, ClassesRoot, Users };

struct RegValue {
  std::u16string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

struct RegKeyData {
  std::u16string path;  // as first created, without the hive
  std::map<std::u16string, RegValue> values;  // by upper-case name
};

class RegistryStore {
 public:
  bool KeyExists(Hive hive, const std::u16string& path) const;
  // Creates the key and every missing parent.
  RegKeyData& CreateKey(Hive hive, const std::u16string& path);
  RegKeyData* FindKey(Hive hive, const std::u16string& path);
  const RegValue* FindValue(Hive hive, const std::u16string& path, const std::u16string& name) const;
  void SetValue(Hive hive, const std::u16string& path, RegValue value);

  // Every key of a hive in path order, for saving.
  const std::map<std::u16string, RegKeyData>& Keys(Hive hive) const;

 private:
  std::map<std::u16string, RegKeyData> hives_[4];
};

// Path with backslashes collapsed and no leading or trailing ones.
std::u16string NormalizeKeyPath(const std::u16string& path);
const char* HiveShortName(Hive hive);
std::optional<Hive> HiveFromName(const std::string& name);

}  // namespace sim
