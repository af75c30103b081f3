// The machine file's "amdGpu" section: what it loads, its defaults, and
// the faults it refuses with a message naming the place.
#include "sim/models/gpu/amd/adl_file.h"

#include <gtest/gtest.h>

namespace {

TEST(AmdGpuSectionTest, LoadsWhatTheFileSays) {
  std::optional<sim::amd::Adl> adl;
  std::string error;
  ASSERT_TRUE(sim::LoadAmdGpuSection(sim::Json::parse(R"({
      "libraries": ["atiadlxy.dll"],
      "missingFunctions": ["ADL_Display_ConnectedDisplays_Get"],
      "createResult": -1,
      "adapterCount": -3,
      "adapterInfoFails": true,
      "adapters": [
        {"active": false},
        {"index": 7, "displayCount": 9, "displayListFails": true, "displays": [
          {"connector": 15},
          {"index": 4, "adapterIndex": 2, "connector": 16, "flags": "0x01", "panel": true}]}],
      "ddcFaults": [{"at": 3, "times": 0, "received": 2}],
      "nativeFaults": [{"at": 1, "result": -5}, {"at": 2, "byteCount": 40}]})"),
                                     adl, &error))
      << error;
  ASSERT_TRUE(adl);
  EXPECT_EQ(adl->libraries, std::vector<std::string>{"atiadlxy.dll"});
  EXPECT_EQ(adl->missingFunctions, std::vector<std::string>{"ADL_Display_ConnectedDisplays_Get"});
  EXPECT_EQ(adl->createResult, -1);
  EXPECT_EQ(adl->adapterCount, std::optional<std::int32_t>{-3});
  EXPECT_TRUE(adl->adapterInfoFails);
  ASSERT_EQ(adl->adapters.size(), 2u);
  EXPECT_EQ(adl->adapters[0].index, 0);
  EXPECT_FALSE(adl->adapters[0].active);
  const sim::amd::Adapter& second = adl->adapters[1];
  EXPECT_EQ(second.index, 7);
  EXPECT_EQ(second.displayCount, std::optional<std::int32_t>{9});
  EXPECT_TRUE(second.displayListFails);
  ASSERT_EQ(second.displays.size(), 2u);
  // Defaults: the place in the list, the adapter that lists it, connected.
  EXPECT_EQ(second.displays[0].index, 0);
  EXPECT_EQ(second.displays[0].adapterIndex, 7);
  EXPECT_EQ(second.displays[0].flags, 0x03u);
  EXPECT_FALSE(second.displays[0].panel);
  EXPECT_EQ(second.displays[1].index, 4);
  EXPECT_EQ(second.displays[1].adapterIndex, 2);
  EXPECT_EQ(second.displays[1].flags, 0x01u);
  EXPECT_TRUE(second.displays[1].panel);
  EXPECT_EQ(adl->ddcFaults[0].times, 0u);
  EXPECT_EQ(adl->ddcFaults[0].count, std::optional<std::int32_t>{2});
  EXPECT_EQ(adl->nativeFaults[0].result, std::optional<std::int32_t>{-5});
  EXPECT_EQ(adl->nativeFaults[1].count, std::optional<std::int32_t>{40});
}

TEST(AmdGpuSectionTest, DefaultsToOneLibraryFileWithEveryName) {
  std::optional<sim::amd::Adl> adl;
  std::string error;
  ASSERT_TRUE(sim::LoadAmdGpuSection(sim::Json::parse("{}"), adl, &error)) << error;
  EXPECT_EQ(adl->libraries, std::vector<std::string>{"atiadlxx.dll"});
  EXPECT_TRUE(adl->missingFunctions.empty());
  EXPECT_TRUE(adl->adapters.empty());
}

TEST(AmdGpuSectionTest, RefusesWhatIsNotALibrary) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"libraries": ["adl.dll"]})", "amdGpu \"libraries\""},
      {R"({"missingFunctions": ["ADL_Fan_Get"]})", "amdGpu \"missingFunctions\""},
      {R"({"createResult": 4294967295})", "amdGpu \"createResult\""},
      {R"({"adapters": {}})", "amdGpu \"adapters\""},
      {R"({"adapters": [{"displays": [{"connector": "16"}]}]})", "amdGpu adapter 0 display 0 \"connector\""},
      {R"({"adapters": [{"display": []}]})", "amdGpu adapter 0: unknown key \"display\""},
      {R"({"ddcFaults": [{"byteCount": 1}]})", "amdGpu DDC fault 0: unknown key \"byteCount\""},
      {R"({"nativeFaults": [{"at": -1}]})", "amdGpu native fault 0 \"at\""},
      {R"({"fan": 1})", "amdGpu: unknown key \"fan\""},
      {R"([])", "\"amdGpu\""},
  };
  for (const auto& [text, where] : cases) {
    std::optional<sim::amd::Adl> adl;
    std::string error;
    EXPECT_FALSE(sim::LoadAmdGpuSection(sim::Json::parse(text), adl, &error)) << text;
    EXPECT_NE(error.find(where), std::string::npos) << text << ": " << error;
    EXPECT_FALSE(adl) << text;
  }
}

}  // namespace
