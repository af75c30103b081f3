// The machine file's "nvidiaGpu" section: what it loads, the handles it
// gives when the file names none, and the faults it refuses with a message
// naming the place.
#include "sim/models/gpu/nvidia/nvidia_file.h"

#include <gtest/gtest.h>

namespace {

TEST(NvidiaGpuSectionTest, LoadsWhatTheFileSays) {
  std::optional<sim::nvidia::Library> library;
  std::string error;
  ASSERT_TRUE(sim::LoadNvidiaGpuSection(sim::Json::parse(R"({
      "gpus": [{"displays": [{"id": "0x1001", "connector": 71},
                             {"id": 4098, "connector": 70, "handle": "0xBEEF", "panel": false,
                              "connected": false, "connectorInfoStatus": -3, "handleStatus": "0xFFFFFFF0"}]},
               {"handle": 0, "displays": [{"id": 1, "connector": 72}]}],
      "missingNames": ["NvUnload"],
      "failures": {"initialize": -1, "displayList": 5},
      "reportedDisplayCount": "0x10000000", "listedDisplayCount": 9,
      "auxFaults": [{"at": 3, "times": 0, "status": -160}, {"at": 9, "byteCount": 17}]})"),
                                        library, &error))
      << error;
  ASSERT_TRUE(library);
  ASSERT_EQ(library->gpus.size(), 2u);
  const auto& first = library->gpus[0];
  EXPECT_EQ(first.handle, 0x00100000u);
  EXPECT_EQ(first.displays[0].id, 0x1001u);
  EXPECT_EQ(first.displays[0].handle, 0x00200001u);
  EXPECT_TRUE(first.displays[0].panel);
  EXPECT_EQ(first.displays[1].handle, 0xBEEFu);
  EXPECT_FALSE(first.displays[1].panel);
  EXPECT_FALSE(first.displays[1].connected);
  EXPECT_EQ(first.displays[1].connectorInfoStatus, -3);
  EXPECT_EQ(first.displays[1].handleStatus, -16);
  EXPECT_EQ(library->gpus[1].handle, 0u);
  EXPECT_EQ(library->gpus[1].displays[0].handle, 0x00200003u);
  EXPECT_EQ(library->missingNames, std::vector<std::string>{"NvUnload"});
  EXPECT_EQ(library->failures.initialize, -1);
  EXPECT_EQ(library->failures.displayList, 5);
  EXPECT_EQ(library->reportedDisplayCount, std::optional<std::uint32_t>{0x10000000});
  EXPECT_EQ(library->listedDisplayCount, std::optional<std::uint32_t>{9});
  EXPECT_EQ(library->auxFaults[0].status, std::optional<std::int32_t>{-160});
  EXPECT_EQ(library->auxFaults[0].times, 0u);
  EXPECT_EQ(library->auxFaults[1].byteCount, std::optional<std::uint32_t>{17});
}

TEST(NvidiaGpuSectionTest, RefusesWhatIsNotALibrary) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"gpus": [{"displays": [{"id": 1}]}]})", "nvidiaGpu gpu 0 display 0 needs"},
      {R"({"gpus": [{"displays": [{"id": 1, "connector": "DP"}]}]})", "nvidiaGpu gpu 0 display 0 \"connector\""},
      {R"({"gpus": [{"displays": [{"id": 1, "connector": 70, "handleStatus": 2147483648}]}]})",
       "nvidiaGpu gpu 0 display 0 \"handleStatus\""},
      {R"({"gpus": [{"port": 1}]})", "nvidiaGpu gpu 0: unknown key \"port\""},
      {R"({"failures": {"NvInitialize": -1}})", "nvidiaGpu failures: unknown key \"NvInitialize\""},
      {R"({"missingNames": [1]})", "nvidiaGpu \"missingNames\" 0"},
      {R"({"auxFaults": [{"at": -1}]})", "nvidiaGpu auxFault 0 \"at\""},
      {R"({"auxFaults": [{"error": 70}]})", "nvidiaGpu auxFault 0: unknown key \"error\""},
      {R"({"reportedDisplayCount": -1})", "nvidiaGpu \"reportedDisplayCount\""},
      {R"({"fan": 1})", "nvidiaGpu: unknown key \"fan\""},
      {R"([])", "\"nvidiaGpu\""},
  };
  for (const auto& [text, where] : cases) {
    std::optional<sim::nvidia::Library> library;
    std::string error;
    EXPECT_FALSE(sim::LoadNvidiaGpuSection(sim::Json::parse(text), library, &error)) << text;
    EXPECT_NE(error.find(where), std::string::npos) << text << ": " << error;
    EXPECT_FALSE(library) << text;
  }
}

}  // namespace
