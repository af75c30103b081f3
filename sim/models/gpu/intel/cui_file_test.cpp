// The machine file's "intelGpu" section: what it loads, and the faults it
// refuses with a message naming the place.
#include "sim/models/gpu/intel/cui_file.h"

#include <gtest/gtest.h>

namespace {

TEST(IntelGpuSectionTest, LoadsWhatTheFileSays) {
  std::optional<sim::intel::Cui> cui;
  std::string error;
  ASSERT_TRUE(sim::LoadIntelGpuSection(sim::Json::parse(R"({
      "displays": [{"name": "\\\\.\\Display2", "devices": [{"id": "0xABCD", "type": 7, "status": 1, "panel": false}]}],
      "powerFeatures": 44,
      "faults": [{"at": 9, "byteCount": 17}, {"at": 2, "times": 0, "error": 70}]})"),
                                       cui, &error))
      << error;
  ASSERT_TRUE(cui);
  EXPECT_EQ(cui->displays[0].name, u"\\\\.\\Display2");
  EXPECT_EQ(cui->displays[0].devices[0].id, 0xABCDu);
  EXPECT_EQ(cui->displays[0].devices[0].type, 7u);
  EXPECT_FALSE(cui->displays[0].devices[0].reachesPanel);
  EXPECT_EQ(cui->powerFeatures, 44u);
  EXPECT_EQ(cui->faults[0].byteCount, std::optional<std::uint32_t>{17});
  EXPECT_EQ(cui->faults[1].error, std::optional<std::uint32_t>{70});
  EXPECT_EQ(cui->faults[1].times, 0u);
}

TEST(IntelGpuSectionTest, RefusesWhatIsNotADriver) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"displays": [{"devices": [{"id": "0xZZ"}]}]})", "intelGpu display 0 device 0 \"id\""},
      {R"({"displays": [{"name": 1}]})", "intelGpu display 0 \"name\""},
      {R"({"faults": [{"at": -1}]})", "intelGpu fault 0 \"at\""},
      {R"({"faults": [{"code": 70}]})", "intelGpu fault 0: unknown key \"code\""},
      {R"({"displays": [{"devices": [{"panel": 1}]}]})", "intelGpu display 0 device 0 \"panel\""},
      {R"({"fan": 1})", "intelGpu: unknown key \"fan\""},
      {R"([])", "\"intelGpu\""},
  };
  for (const auto& [text, where] : cases) {
    std::optional<sim::intel::Cui> cui;
    std::string error;
    EXPECT_FALSE(sim::LoadIntelGpuSection(sim::Json::parse(text), cui, &error)) << text;
    EXPECT_NE(error.find(where), std::string::npos) << text << ": " << error;
    EXPECT_FALSE(cui) << text;
  }
}

}  // namespace
