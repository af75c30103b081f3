// The registry model and its machine-file section.
#include <gtest/gtest.h>

#include "common/utf16le.h"
#include "sim/models/registry/registry_file.h"

namespace {

sim::Json Parse(const char* text) { return sim::Json::parse(text); }

TEST(RegistryStoreTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
  sim::RegistryStore store;
  store.SetValue(sim::Hive::LocalMachine, u"SOFTWARE\\Orvo\\Pkg", {u"Version", 1, {0x31, 0, 0, 0}});
  store.SetValue(sim::Hive::LocalMachine, u"software\\ORVO\\pkg\\", {u"VERSION", 4, {5, 0, 0, 0}});
  EXPECT_TRUE(store.KeyExists(sim::Hive::LocalMachine, u"Software"));  // parents come with it
  EXPECT_FALSE(store.KeyExists(sim::Hive::CurrentUser, u"Software"));
  const sim::RegValue* value = store.FindValue(sim::Hive::LocalMachine, u"\\Software\\\\Orvo\\PKG", u"version");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->name, u"Version");
  EXPECT_EQ(value->type, 4u);
  EXPECT_EQ(store.FindKey(sim::Hive::LocalMachine, u"SOFTWARE\\ORVO\\PKG")->path, u"SOFTWARE\\Orvo\\Pkg");
}

TEST(RegistrySectionTest, HiveNamesCompareWithoutCase) {
  const char* keys[] = {"HKLM\\Software\\A", "hklm\\Software\\A", "Hkey_Local_Machine\\Software\\A",
                        "HKEY_LOCAL_MACHINE\\Software\\A"};
  for (const char* key : keys) {
    sim::RegistryStore store;
    std::string error;
    sim::Json section = sim::Json::object();
    section[key] = Parse(R"({"Version": "1.0"})");
    ASSERT_TRUE(sim::LoadRegistrySection(section, store, &error)) << key << ": " << error;
    EXPECT_NE(store.FindValue(sim::Hive::LocalMachine, u"Software\\A", u"Version"), nullptr) << key;
  }
  sim::RegistryStore store;
  std::string error;
  EXPECT_FALSE(sim::LoadRegistrySection(Parse(R"({"HKXX\\Software": {}})"), store, &error));
  EXPECT_NE(error.find("must start with HKLM"), std::string::npos) << error;
}

TEST(RegistrySectionTest, SavesPlainFormsWhereTheyFitAndRawBytesElsewhere) {
  sim::RegistryStore store;
  std::string error;
  ASSERT_TRUE(sim::LoadRegistrySection(Parse(R"({
      "HKLM\\Software\\Orvo": {"Text": "2.5.0", "Number": 7,
                               "Odd": {"type": "REG_SZ", "hex": "41"},
                               "Binary": {"type": 3, "hex": "00 ff"}},
      "HKCU\\Empty": {}})"), store, &error)) << error;
  sim::Json saved;
  sim::SaveRegistrySection(store, saved);
  EXPECT_EQ(saved, Parse(R"({
      "HKLM\\Software\\Orvo": {"Binary": {"type": 3, "hex": "00ff"}, "Number": 7,
                               "Odd": {"type": 1, "hex": "41"}, "Text": "2.5.0"},
      "HKCU\\Empty": {}})")) << saved.dump();
  const sim::RegValue* text = store.FindValue(sim::Hive::LocalMachine, u"Software\\Orvo", u"Text");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->data, common::Utf16LeBytes(u"2.5.0", true));
}

}  // namespace
