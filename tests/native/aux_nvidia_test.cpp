// The NVIDIA back-end on the simulated "NvidiaAPI.dll" and panel: binding,
// initialisation and display selection with every status, the shapes of
// I2C-over-AUX and native transfers in 104-byte records, the single-byte
// write fallback, and closing, also at program end.
#include <algorithm>

#include "tests/native/aux_layer_test.h"

namespace {

using namespace aux_test;
using Lines = std::vector<std::string>;

// One GPU with the panel on eDP and an external DisplayPort monitor.
constexpr char kNvidiaMachine[] = R"({"intelGpu": null, "nvidiaGpu": {"gpus": [{"handle": "0x100",
    "displays": [{"id": "0x11", "connector": 71, "handle": "0x21"},
                 {"id": "0x12", "connector": 70, "handle": "0x22", "panel": false}]}]}})";

class AuxNvidiaTest : public AuxLayerTest {
 protected:
  void SetUp() override {
    AuxLayerTest::SetUp();
    UseNvidia();
  }
  // The NVIDIA machine with a further patch applied, its trace empty.
  void UseNvidia(const std::string& patch = "{}") {
    auto machine = nlohmann::ordered_json::parse(kAuxMachine);
    machine.merge_patch(nlohmann::ordered_json::parse(kNvidiaMachine));
    machine.merge_patch(nlohmann::ordered_json::parse(patch));
    LoadMachine(machine.dump());
    dpaux::ForgetNvidiaLibrary();
    ForgetTrace();
  }
  void OpenChannel(std::int32_t displayType = dpaux::kDisplayEdp) {
    ASSERT_EQ(Open(dpaux::kGpuNvidia, displayType), 0);
    ForgetTrace();
  }
  static std::int32_t Transfer(dpaux::KSXAUX_I2C_PARAM record) {
    return KSXAUX_I2COverAuxAccess(&record);
  }
  // The AUX records handed to the library: "command address count -> status".
  Lines AuxCalls() const {
    Lines calls;
    for (const std::string& line : TraceOf("nvidia.NvDisp_DpAuxChannelControl")) {
      const std::size_t command = line.find("command=");
      const std::size_t after = line.find(' ', line.find(" -> ") + 4);
      calls.push_back(line.substr(command, after == std::string::npos ? after : after - command));
    }
    return calls;
  }
  // One transfer on a fresh channel: the records handed to the library and
  // the bytes written on the bus. Small-EEPROM addressing (device 0xA0)
  // finds the TCON at 0xA2 and the MCU at 0xA4.
  void ExpectShape(dpaux::KSXAUX_I2C_PARAM record, const Lines& calls, const Lines& written) {
    UseNvidia(record.i2cAddress == 0xA0
                  ? R"({"panel": {"tcon": {"address": "0xA2"}, "mcu": {"address": "0xA4"}}})"
                  : "{}");
    OpenChannel();
    EXPECT_EQ(Transfer(record), 0);
    EXPECT_EQ(AuxCalls(), calls);
    EXPECT_EQ(WrittenBytes(), written);
    dpaux::KSXAUX_CLOSE_PARAM close{4};
    KSXAUX_CloseDll(&close);
  }
  // The bytes that each write transaction carried on the bus.
  Lines WrittenBytes() const {
    Lines written;
    for (const std::string& line : TraceOf("aux.")) {
      const std::size_t bytes = line.find(" bytes=");
      if (line.find(" write ") != std::string::npos)
        written.push_back(line.substr(bytes + 7, line.find(" -> ") - bytes - 7));
    }
    return written;
  }
};

TEST_F(AuxNvidiaTest, OpenBindsAllSeventeenNamesAndSelectsTheLinksConnector) {
  struct Case {
    std::int32_t displayType;
    std::uint32_t kind;
    const char* selected;
    std::size_t connectorQueries;
  };
  const Case cases[] = {
      {dpaux::kDisplayEdp, 1, "id=0x11", 1}, {dpaux::kDisplayDp, 2, "id=0x12", 2},
      {dpaux::kDisplayVga, 1, "id=0x11", 1}, {dpaux::kDisplayDviD, 1, "id=0x11", 1},
      {dpaux::kDisplayDviI, 1, "id=0x11", 1}, {dpaux::kDisplayHdmi, 1, "id=0x11", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.displayType);
    UseNvidia();
    ASSERT_EQ(Open(dpaux::kGpuNvidia, c.displayType), 0);
    EXPECT_EQ(TraceOf("kernel32.LoadLibraryA"), Lines{"kernel32.LoadLibraryA NvidiaAPI.dll -> 0"});
    const Lines lookups = TraceOf("kernel32.GetProcAddress Nv");
    EXPECT_EQ(lookups.size(), 17u);
    EXPECT_EQ(std::count_if(lookups.begin(), lookups.end(),
                            [](const std::string& line) { return line.ends_with(" -> found"); }),
              17);
    EXPECT_EQ(TraceOf("nvidia.NvInitialize"), Lines{"nvidia.NvInitialize -> 0"});
    EXPECT_EQ(TraceOf("nvidia.NvEnumPhysicalGPUs"),
              Lines{"nvidia.NvEnumPhysicalGPUs -> 0 count=1 first=0x100"});
    EXPECT_EQ(TraceOf("nvidia.NvGPU_GetConnectedDisplayIds"),
              (Lines{"nvidia.NvGPU_GetConnectedDisplayIds gpu=0x100 list=null -> 0 count=2",
                     "nvidia.NvGPU_GetConnectedDisplayIds gpu=0x100 list=2 -> 0 count=2"}));
    EXPECT_EQ(TraceOf("nvidia.NvGPU_GetConnectorInfo").size(), c.connectorQueries);
    const Lines handle = TraceOf("nvidia.NvDISP_GetDisplayHandleFromDisplayId");
    ASSERT_EQ(handle.size(), 1u);
    EXPECT_NE(handle[0].find(c.selected), std::string::npos) << handle[0];
    EXPECT_EQ(dpaux::nvidiaControl.displayKind, c.kind);
    EXPECT_EQ(dpaux::nvidiaControl.nativePieceSize, 16u);
    dpaux::KSXAUX_CLOSE_PARAM close{4};
    KSXAUX_CloseDll(&close);
  }
}

TEST_F(AuxNvidiaTest, InitAndSelectionAnswerTheirStatuses) {
  struct Case {
    const char* name;
    const char* patch;
    dpaux::AuxStatus init, select;
  };
  const Case cases[] = {
      {"no library", R"({"nvidiaGpu": null})", 1, 9},
      {"a name missing", R"({"nvidiaGpu": {"missingNames": ["NvPrintDllVersion"]}})", 1, 9},
      {"initialise fails", R"({"nvidiaGpu": {"failures": {"initialize": -1}}})", 2, 9},
      {"GPU enumeration fails", R"({"nvidiaGpu": {"failures": {"enumPhysicalGpus": -1}}})", 8, 9},
      {"no GPU", R"({"nvidiaGpu": {"gpus": []}})", 0, 9},
      {"GPU handle 0", R"({"nvidiaGpu": {"gpus": [{"handle": 0}]}})", 0, 9},
      {"count query fails", R"({"nvidiaGpu": {"failures": {"displayCount": -1}}})", 0, 10},
      {"list query fails", R"({"nvidiaGpu": {"failures": {"displayList": -1}}})", 0, 10},
      {"count too small for the list", R"({"nvidiaGpu": {"reportedDisplayCount": 1}})", 0, 10},
      {"count whose bytes overflow", R"({"nvidiaGpu": {"reportedDisplayCount": "0x10000000"}})", 0, 10},
      {"count beyond any GPU", R"({"nvidiaGpu": {"reportedDisplayCount": 1025}})", 0, 10},
      {"no connected display",
       R"({"nvidiaGpu": {"gpus": [{"displays": [{"id": 1, "connector": 71, "connected": false}]}]}})", 0, 11},
      {"connector info fails",
       R"({"nvidiaGpu": {"gpus": [{"displays": [{"id": 1, "connector": 71, "connectorInfoStatus": -1}]}]}})", 0, 12},
      {"display handle fails",
       R"({"nvidiaGpu": {"gpus": [{"displays": [{"id": 1, "connector": 71, "handleStatus": -1}]}]}})", 0, 13},
      {"display handle 0",
       R"({"nvidiaGpu": {"gpus": [{"displays": [{"id": 1, "connector": 71, "handle": 0}]}]}})", 0, 14},
      {"no eDP connector", R"({"nvidiaGpu": {"gpus": [{"displays": [{"id": 1, "connector": 70}]}]}})", 0, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseNvidia(c.patch);
    EXPECT_EQ(dpaux::nvidiaControl.Init(), c.init);
    EXPECT_EQ(dpaux::nvidiaControl.SelectDisplay(1), c.select);
    EXPECT_EQ(dpaux::nvidiaControl.initialised, c.init == 0 ? 1 : 0);
    if (c.init == 0 && c.select != 0) {
      EXPECT_EQ(dpaux::nvidiaControl.displayHandle, 0u);
    }
    dpaux::nvidiaControl.Close();
  }
}

TEST_F(AuxNvidiaTest, SelectionRefusesKindsOutsideOneToThree) {
  ASSERT_EQ(dpaux::nvidiaControl.Init(), 0u);
  ForgetTrace();
  EXPECT_EQ(dpaux::nvidiaControl.SelectDisplay(0), 4u);
  EXPECT_EQ(dpaux::nvidiaControl.SelectDisplay(4), 4u);
  EXPECT_EQ(dpaux::nvidiaControl.displayKind, 4u);
  EXPECT_TRUE(TraceLines().empty());
  EXPECT_EQ(dpaux::nvidiaControl.SelectDisplay(3), 14u);  // connector type 72: none here
}

TEST_F(AuxNvidiaTest, ACountOfManyNeverAllocatesOrAsksForTheList) {
  UseNvidia(R"({"nvidiaGpu": {"reportedDisplayCount": "0x10000000"}})");
  EXPECT_EQ(Open(dpaux::kGpuNvidia, dpaux::kDisplayEdp), -1);
  EXPECT_EQ(TraceOf("nvidia.NvGPU_GetConnectedDisplayIds").size(), 1u);
}

TEST_F(AuxNvidiaTest, SelectionScansOnlyTheEntriesItAllocated) {
  UseNvidia(R"({"nvidiaGpu": {"listedDisplayCount": 1000}})");
  ASSERT_EQ(dpaux::nvidiaControl.Init(), 0u);
  EXPECT_EQ(dpaux::nvidiaControl.SelectDisplay(3), 14u);
  EXPECT_EQ(TraceOf("nvidia.NvGPU_GetConnectorInfo").size(), 2u);
}

TEST_F(AuxNvidiaTest, ALibraryLackingANameIsGivenBackAndTheNextOpenStartsAfresh) {
  UseNvidia(R"({"nvidiaGpu": {"missingNames": ["NvI2CWriteEx"]}})");
  EXPECT_EQ(Open(dpaux::kGpuNvidia), -1);
  EXPECT_EQ(TraceOf("kernel32.GetProcAddress NvI2CWriteEx"),
            Lines{"kernel32.GetProcAddress NvI2CWriteEx -> missing"});
  EXPECT_EQ(TraceOf("kernel32.FreeLibrary"), Lines{"kernel32.FreeLibrary NvidiaAPI.dll -> 0"});
  EXPECT_TRUE(TraceOf("nvidia.").empty());
  EXPECT_EQ(Open(dpaux::kGpuNvidia), -1);
  EXPECT_EQ(TraceOf("kernel32.LoadLibraryA NvidiaAPI.dll -> 0").size(), 2u);

  UseNvidia(R"({"nvidiaGpu": null})");
  EXPECT_EQ(Open(dpaux::kGpuNvidia), -1);
  EXPECT_EQ(TraceLines(), Lines{"kernel32.LoadLibraryA NvidiaAPI.dll -> 126"});
}

TEST_F(AuxNvidiaTest, AFailedInitialiseKeepsTheLibraryBoundAndTriesAgain) {
  UseNvidia(R"({"nvidiaGpu": {"failures": {"initialize": -1}}})");
  EXPECT_EQ(Open(dpaux::kGpuNvidia), -1);
  EXPECT_EQ(Open(dpaux::kGpuNvidia), -1);
  EXPECT_EQ(TraceOf("kernel32.LoadLibraryA").size(), 1u);
  EXPECT_EQ(TraceOf("nvidia.NvInitialize").size(), 2u);
  dpaux::auxControl.ProgramEnd();  // bound but never initialised: nothing to unload
  EXPECT_TRUE(TraceOf("nvidia.NvUnload").empty());
}

TEST_F(AuxNvidiaTest, TransferShapesByModeDirectionAndPieceSize) {
  struct Case {
    const char* name;
    std::uint32_t mode, isWrite, address, offset, length, requestBytes;
    Lines calls;
    Lines written;
  };
  const Case cases[] = {
      // Reads: pieces of 12 whatever requestBytes says.
      {"two offset bytes, pieces of 12", 1, 0, 0xC2, 0x0500, 30, 16,
       {"command=5 address=0xC2 count=2 -> 0", "command=6 address=0xC2 count=12 -> 0",
        "command=6 address=0xC2 count=12 -> 0", "command=3 address=0xC2 count=6 -> 0"},
       {"0500"}},
      {"one offset byte, the block in the address", 0, 0, 0xA0, 0x01F8, 20, 16,
       {"command=5 address=0xA2 count=1 -> 0", "command=6 address=0xA2 count=12 -> 0",
        "command=3 address=0xA4 count=8 -> 0"},
       {"f8"}},
      {"mode 5: the high byte alone", 5, 0, 0xC2, 0x1234, 1, 16,
       {"command=5 address=0xC2 count=1 -> 0", "command=3 address=0xC2 count=1 -> 0"}, {"12"}},
      {"mode 4: no offset phase", 4, 0, 0xC2, 0x0500, 13, 2,
       {"command=6 address=0xC2 count=12 -> 0", "command=3 address=0xC2 count=1 -> 0"}, {}},
      {"raw read", 3, 1, 0xC2, 0x0500, 1, 16, {"command=3 address=0xC2 count=1 -> 0"}, {}},
      {"mode 7: the low byte, even for a write", 7, 1, 0xC2, 0x1234, 1, 16,
       {"command=5 address=0xC2 count=2 -> 0", "command=3 address=0xC2 count=1 -> 0"}, {"0034"}},
      // Writes: pieces of requestBytes.
      {"two offset bytes, pieces of requestBytes", 1, 1, 0xC2, 0x0089, 5, 2,
       {"command=5 address=0xC2 count=2 -> 0", "command=5 address=0xC2 count=2 -> 0",
        "command=5 address=0xC2 count=2 -> 0", "command=2 address=0xC2 count=1 -> 0"},
       {"0089", "0102", "0304", "05"}},
      {"request cut to the length", 1, 1, 0xC2, 0x0089, 3, 16,
       {"command=5 address=0xC2 count=2 -> 0", "command=2 address=0xC2 count=3 -> 0"}, {"0089", "010203"}},
      {"one offset byte, the block in the address of every piece", 0, 1, 0xA0, 0x01FF, 3, 1,
       {"command=5 address=0xA2 count=1 -> 0", "command=5 address=0xA2 count=1 -> 0",
        "command=5 address=0xA4 count=1 -> 0", "command=2 address=0xA4 count=1 -> 0"},
       {"ff", "01", "02", "03"}},
      {"raw write", 2, 0, 0xC2, 0x0089, 3, 2,
       {"command=5 address=0xC2 count=2 -> 0", "command=2 address=0xC2 count=1 -> 0"}, {"0102", "03"}},
      {"mode 4 writes as the default", 4, 1, 0xC2, 0x0089, 1, 16,
       {"command=5 address=0xC2 count=2 -> 0", "command=2 address=0xC2 count=1 -> 0"}, {"0089", "01"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint8_t data[32] = {1, 2, 3, 4, 5};
    ExpectShape(I2c(c.mode, c.isWrite, c.address, c.offset, data, c.length, c.requestBytes),
                c.calls, c.written);
  }
}

TEST_F(AuxNvidiaTest, ReadsCopyEveryPieceIntoPlace) {
  OpenChannel();
  std::uint8_t data[20] = {};
  ASSERT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, data, 20)), 0);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(data[i], i + 1) << i;
}

TEST_F(AuxNvidiaTest, ModeSixSendsTheBuffersFirstBytesAndBoundsThem) {
  OpenChannel();
  std::uint8_t data[4] = {0x05, 0x02, 0xEE, 0xEE};
  ASSERT_EQ(Transfer(I2c(6, 0, 0xC2, 0x0002, data, 4)), 0);
  EXPECT_EQ(AuxCalls(), (Lines{"command=5 address=0xC2 count=2 -> 0", "command=3 address=0xC2 count=4 -> 0"}));
  EXPECT_EQ(WrittenBytes(), Lines{"0502"});
  EXPECT_EQ(std::vector<int>(data, data + 4), (std::vector<int>{3, 4, 5, 6}));  // registers 0x0502 on
  ForgetTrace();
  std::uint8_t big[32] = {};
  EXPECT_EQ(Transfer(I2c(6, 0, 0xC2, 0x0000, big, 32)), -1);  // no offset bytes
  EXPECT_EQ(Transfer(I2c(6, 0, 0xC2, 0x0011, big, 32)), -1);  // more than a record holds
  EXPECT_EQ(Transfer(I2c(6, 0, 0xC2, 0x0005, big, 4)), -1);   // more than the buffer
  EXPECT_TRUE(AuxCalls().empty());
}

TEST_F(AuxNvidiaTest, AOneByteWriteWhoseHeaderIsRefusedGoesAsOneTransaction) {
  UseNvidia(R"({"nvidiaGpu": {"auxFaults": [{"at": 1, "status": -1}, {"at": 3, "status": -1}]}})");
  OpenChannel();
  std::uint8_t byte = 0xAA;
  EXPECT_EQ(Transfer(I2c(1, 1, 0xC2, 0x0089, &byte, 1)), 0);
  EXPECT_EQ(AuxCalls(), (Lines{"command=5 address=0xC2 count=2 -> -1", "command=2 address=0xC2 count=3 -> 0"}));
  EXPECT_EQ(WrittenBytes(), Lines{"0089aa"});
  EXPECT_EQ(sim::CurrentMachine().panel.tcon.registers.at(0x0089), 0xAA);

  ForgetTrace();
  std::uint8_t two[] = {1, 2};
  EXPECT_EQ(Transfer(I2c(1, 1, 0xC2, 0x0089, two, 2)), -1);  // more than one byte: no second try
  EXPECT_EQ(AuxCalls(), Lines{"command=5 address=0xC2 count=2 -> -1"});
}

TEST_F(AuxNvidiaTest, NativeTransfersGoInPiecesOfSixteen) {
  OpenChannel();
  std::uint8_t out[40], in[40] = {};
  for (int i = 0; i < 40; ++i) out[i] = static_cast<std::uint8_t>(0x80 + i);
  dpaux::KSXAUX_NATIVE_PARAM write = Native(1, 0x100, out, 40);
  dpaux::KSXAUX_NATIVE_PARAM read = Native(0, 0x100, in, 40);
  ASSERT_EQ(KSXAUX_NativeAuxAccess(&write), 0);
  ASSERT_EQ(KSXAUX_NativeAuxAccess(&read), 0);
  EXPECT_EQ(AuxCalls(),
            (Lines{"command=0 address=0x100 count=16 -> 0", "command=0 address=0x110 count=16 -> 0",
                   "command=0 address=0x120 count=8 -> 0", "command=1 address=0x100 count=16 -> 0",
                   "command=1 address=0x110 count=16 -> 0", "command=1 address=0x120 count=8 -> 0"}));
  EXPECT_EQ(std::vector<std::uint8_t>(in, in + 40), std::vector<std::uint8_t>(out, out + 40));
}

TEST_F(AuxNvidiaTest, NativeTransferStatuses) {
  UseNvidia(R"({"nvidiaGpu": {"auxFaults": [{"at": 2, "times": 0, "status": -1}]}})");
  OpenChannel();
  std::uint8_t data[32] = {};
  EXPECT_EQ(dpaux::nvidiaControl.NativeTransfer(0x100, nullptr, data, 0), 5u);
  EXPECT_EQ(dpaux::nvidiaControl.NativeTransfer(0x100, nullptr, data, 0x80000000u), 5u);
  EXPECT_TRUE(AuxCalls().empty());
  EXPECT_EQ(dpaux::nvidiaControl.NativeTransfer(0x100, nullptr, data, 32), 6u);
  EXPECT_EQ(dpaux::nvidiaControl.NativeTransfer(0x100, data, nullptr, 32), 7u);
  EXPECT_EQ(AuxCalls().size(), 3u);  // the first piece, then each failing one ends its transfer
}

TEST_F(AuxNvidiaTest, AReadWhoseByteCountIsNotWhatWasAskedFails) {
  UseNvidia(R"({"nvidiaGpu": {"auxFaults": [{"at": 2, "byteCount": 3}, {"at": 3, "byteCount": 0}]}})");
  OpenChannel();
  std::uint8_t data[2] = {0xEE, 0xEE};
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, data, 1)), -1);  // count 3 for a 1-byte read
  EXPECT_EQ(Transfer(I2c(4, 0, 0xC2, 0x0500, data, 1)), -1);  // count 0
  EXPECT_EQ(data[0], 0xEE);
  EXPECT_EQ(Transfer(I2c(4, 0, 0xC2, 0x0500, data, 1)), 0);
}

TEST_F(AuxNvidiaTest, CloseUnloadsAndGivesTheLibraryBack) {
  UseNvidia(R"({"nvidiaGpu": {"failures": {"unload": -1}}})");
  OpenChannel();
  dpaux::KSXAUX_CLOSE_PARAM close{4};
  EXPECT_EQ(KSXAUX_CloseDll(&close), 0);  // a failed unload is not the close's concern
  EXPECT_EQ(TraceLines(), (Lines{"nvidia.NvUnload -> -1", "kernel32.FreeLibrary NvidiaAPI.dll -> 0"}));
  EXPECT_EQ(dpaux::auxControl.opened, 0);
  EXPECT_EQ(dpaux::nvidiaControl.initialised, 0);
  std::uint8_t byte = 0;
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, &byte, 1)), -1);
  EXPECT_EQ(Open(dpaux::kGpuNvidia), 0);
  EXPECT_EQ(TraceOf("kernel32.LoadLibraryA NvidiaAPI.dll -> 0").size(), 1u);
}

TEST_F(AuxNvidiaTest, ProgramEndClosesALibraryLeftInitialised) {
  UseNvidia(R"({"nvidiaGpu": {"gpus": [{"displays": [{"id": 1, "connector": 70, "panel": false}]}]}})");
  EXPECT_EQ(Open(dpaux::kGpuNvidia, dpaux::kDisplayEdp), -1);  // no eDP connector
  EXPECT_EQ(dpaux::nvidiaControl.initialised, 1);
  ForgetTrace();
  std::uint8_t byte = 0;
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, &byte, 1)), -1);  // the channel is not open
  dpaux::auxControl.ProgramEnd();
  EXPECT_EQ(TraceLines(), (Lines{"nvidia.NvUnload -> 0", "kernel32.FreeLibrary NvidiaAPI.dll -> 0"}));
  ForgetTrace();
  dpaux::auxControl.ProgramEnd();
  EXPECT_TRUE(TraceLines().empty());
}

TEST_F(AuxNvidiaTest, ProgramEndClosesAnOpenChannelOnce) {
  OpenChannel();
  dpaux::auxControl.ProgramEnd();
  EXPECT_EQ(TraceLines(), (Lines{"nvidia.NvUnload -> 0", "kernel32.FreeLibrary NvidiaAPI.dll -> 0"}));
  EXPECT_EQ(dpaux::auxControl.opened, 0);
}

}  // namespace
