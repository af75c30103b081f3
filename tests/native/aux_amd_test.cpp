// The AMD back-end on the simulated AMD Display Library and panel: binding
// the library, selecting adapter and display, the DDC messages of every
// read and write mode, native records, the bounds on what the library
// hands back, and the control object's AMD path.
#include <cstring>

#include "tconprobe/dpaux/amd_backend.h"
#include "tests/native/aux_layer_test.h"

namespace {

using namespace aux_test;
using Lines = std::vector<std::string>;

// One active adapter whose eDP display has the panel, an HDMI monitor
// beside it; a second, inactive adapter.
const char kAmdPatch[] = R"({
  "intelGpu": null,
  "amdGpu": {"adapters": [
    {"index": 0, "displays": [
      {"index": 0, "connector": 16, "panel": true},
      {"index": 1, "connector": 10}]},
    {"index": 1, "active": false, "displays": [{"index": 0, "connector": 16}]}]},
  "panel": {"tcon": {"registers": {"0x0201": "61", "0x0400": "a1 a2 a3 a4"}}}
})";

class AuxAmdTest : public AuxLayerTest {
 protected:
  void SetUp() override {
    AuxLayerTest::SetUp();
    UseAmd("{}");
  }

  // The AMD machine with a further merge patch of its own.
  void UseAmd(const std::string& patch) {
    auto machine = nlohmann::ordered_json::parse(kAuxMachine);
    machine.merge_patch(nlohmann::ordered_json::parse(kAmdPatch));
    machine.merge_patch(nlohmann::ordered_json::parse(patch));
    LoadMachine(machine.dump());
  }
  void UseAdapters(const std::string& adapters) {
    UseAmd(R"({"amdGpu": {"adapters": )" + adapters + "}}");
  }

  void OpenChannel(std::int32_t displayType = dpaux::kDisplayEdp) {
    ASSERT_EQ(Open(dpaux::kGpuAmd, displayType), 0);
    ForgetTrace();
  }
  static void CloseChannel() {
    dpaux::KSXAUX_CLOSE_PARAM close{4};
    KSXAUX_CloseDll(&close);
  }
  std::int32_t Transfer(dpaux::KSXAUX_I2C_PARAM record) { return KSXAUX_I2COverAuxAccess(&record); }

  // The DDC messages sent, without the call's fixed fields:
  // "option=0 send=c800 receive=0 -> 0 received=0".
  Lines Messages() const {
    Lines messages;
    for (const std::string& line : TraceOf("adl.ADL_Display_DDCBlockAccess_Get")) {
      const std::size_t option = line.find("option=");
      std::string message = line.substr(option);
      const std::size_t command = message.find(" command=0");
      if (command != std::string::npos) message.erase(command, 10);
      messages.push_back(message);
    }
    return messages;
  }
  // Where the DDC messages went: "adapter=0 display=0".
  std::string Destination() const {
    const Lines lines = TraceOf("adl.ADL_Display_DDCBlockAccess_Get");
    if (lines.empty()) return "";
    const std::size_t at = lines.back().find("adapter=");
    return lines.back().substr(at, lines.back().find(" option=") - at);
  }
};

TEST_F(AuxAmdTest, BindsEitherLibraryFileAndNeedsEveryRequiredName) {
  struct Case {
    const char* name;
    const char* patch;
    std::uint32_t status;
    Lines loads;  // LoadLibraryA and FreeLibrary, in order
  };
  const Case cases[] = {
      {"the first file", "{}", 0, {"kernel32.LoadLibraryA atiadlxx.dll -> 0"}},
      {"only the other file", R"({"amdGpu": {"libraries": ["atiadlxy.dll"]}})", 0,
       {"kernel32.LoadLibraryA atiadlxx.dll -> 126", "kernel32.LoadLibraryA atiadlxy.dll -> 0"}},
      {"no file", R"({"amdGpu": {"libraries": []}})", 2,
       {"kernel32.LoadLibraryA atiadlxx.dll -> 126", "kernel32.LoadLibraryA atiadlxy.dll -> 126"}},
      {"no AMD GPU at all", R"({"amdGpu": null})", 2,
       {"kernel32.LoadLibraryA atiadlxx.dll -> 126", "kernel32.LoadLibraryA atiadlxy.dll -> 126"}},
      {"the optional name missing",
       R"({"amdGpu": {"missingFunctions": ["ADL_Display_ConnectedDisplays_Get"]}})", 0,
       {"kernel32.LoadLibraryA atiadlxx.dll -> 0"}},
      {"a required name missing", R"({"amdGpu": {"missingFunctions": ["ADL_Display_WriteAndReadI2C"]}})",
       3, {"kernel32.LoadLibraryA atiadlxx.dll -> 0", "kernel32.FreeLibrary atiadlxx.dll -> 0"}},
      {"the first name missing", R"({"amdGpu": {"missingFunctions": ["ADL_Main_Control_Create"]}})", 3,
       {"kernel32.LoadLibraryA atiadlxx.dll -> 0", "kernel32.FreeLibrary atiadlxx.dll -> 0"}},
      {"the library does not start", R"({"amdGpu": {"createResult": -1}})", 4,
       {"kernel32.LoadLibraryA atiadlxx.dll -> 0", "kernel32.FreeLibrary atiadlxx.dll -> 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseAmd(c.patch);
    EXPECT_EQ(dpaux::adlInf.Bind(), c.status);
    EXPECT_EQ(dpaux::adlInf.Bound(), c.status == 0);
    Lines loads = TraceOf("kernel32.LoadLibraryA");
    for (const std::string& line : TraceOf("kernel32.FreeLibrary")) loads.push_back(line);
    EXPECT_EQ(loads, c.loads);
    // Every name is looked up, in its order.
    const Lines lookups = TraceOf("kernel32.GetProcAddress");
    if (c.status != 2) {
      EXPECT_EQ(lookups.size(), 16u);
      EXPECT_EQ(lookups.front().find("kernel32.GetProcAddress ADL_Main_Control_Create"), 0u);
      EXPECT_EQ(lookups.back().find("kernel32.GetProcAddress ADL_Display_ConnectedDisplays_Get"), 0u);
    }
    EXPECT_EQ(dpaux::adlInf.connectedDisplaysGet, c.status == 0 && std::string(c.name) != "the optional name missing");
    dpaux::adlInf.Unbind();
    ForgetTrace();
  }
}

TEST_F(AuxAmdTest, BindingTwiceLoadsOnceAndUnbindingClosesTheLibrary) {
  ASSERT_EQ(dpaux::adlInf.Bind(), 0u);
  EXPECT_EQ(dpaux::adlInf.Bind(), 0u);
  EXPECT_EQ(TraceOf("kernel32.LoadLibraryA").size(), 1u);
  EXPECT_EQ(TraceOf("adl.ADL_Main_Control_Create"), Lines{"adl.ADL_Main_Control_Create connected=1 -> 0"});
  dpaux::adlInf.Unbind();
  dpaux::adlInf.Unbind();
  EXPECT_EQ(TraceOf("adl.ADL_Main_Control_Destroy").size(), 1u);
  EXPECT_EQ(TraceOf("kernel32.FreeLibrary"), Lines{"kernel32.FreeLibrary atiadlxx.dll -> 0"});
  EXPECT_FALSE(dpaux::adlInf.Bound());
}

TEST_F(AuxAmdTest, ProgramEndClosesALibraryStillBound) {
  OpenChannel();
  dpaux::auxControl.ProgramEnd();
  EXPECT_FALSE(dpaux::adlInf.Bound());
  EXPECT_EQ(dpaux::auxControl.opened, 0);
  EXPECT_EQ(TraceOf("adl.ADL_Main_Control_Destroy").size(), 1u);
  EXPECT_EQ(TraceOf("kernel32.FreeLibrary"), Lines{"kernel32.FreeLibrary atiadlxx.dll -> 0"});
  // A binding made outside a channel is closed too.
  ASSERT_EQ(dpaux::adlInf.Bind(), 0u);
  dpaux::auxControl.ProgramEnd();
  EXPECT_FALSE(dpaux::adlInf.Bound());
  EXPECT_EQ(TraceOf("adl.ADL_Main_Control_Destroy").size(), 2u);
}

TEST_F(AuxAmdTest, OpenBindsAndCloseUnbinds) {
  ASSERT_EQ(Open(dpaux::kGpuAmd), 0);
  EXPECT_TRUE(dpaux::adlInf.Bound());
  dpaux::KSXAUX_CLOSE_PARAM close{4};
  EXPECT_EQ(KSXAUX_CloseDll(&close), 0);
  EXPECT_FALSE(dpaux::adlInf.Bound());
  EXPECT_EQ(TraceOf("adl.ADL_Main_Control_Destroy").size(), 1u);
  UseAmd(R"({"amdGpu": {"libraries": []}})");
  EXPECT_EQ(Open(dpaux::kGpuAmd), -1);
  EXPECT_EQ(dpaux::auxControl.opened, 0);
}

TEST_F(AuxAmdTest, AllocationCallbackKeepsItsSizeAndRefusesWhatNoListNeeds) {
  EXPECT_EQ(dpaux::AdlAllocate(0), nullptr);
  EXPECT_EQ(dpaux::AdlAllocate(-552), nullptr);
  EXPECT_EQ(dpaux::AdlAllocate(0x7FFFFFFF), nullptr);
  void* block = dpaux::AdlAllocate(1104);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(dpaux::AdlAllocatedBytes(block), 1104u);
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  EXPECT_EQ(std::count(bytes, bytes + 1104, 0), 1104);
  dpaux::AdlFree(block);
  dpaux::AdlFree(nullptr);
}

TEST_F(AuxAmdTest, SelectionPicksTheLastActiveAdaptersConnectedDisplayOnTheLink) {
  struct Case {
    const char* name;
    const char* adapters;
    std::int32_t displayType;
    const char* destination;
  };
  const Case cases[] = {
      {"two active adapters with eDP: the second", R"([
          {"index": 0, "displays": [{"index": 0, "connector": 16, "panel": true}]},
          {"index": 5, "displays": [{"index": 2, "connector": 16, "panel": true}]}])",
       dpaux::kDisplayEdp, "adapter=5 display=2"},
      {"an inactive adapter is skipped", R"([
          {"index": 0, "displays": [{"index": 1, "connector": 16, "panel": true}]},
          {"index": 5, "active": false, "displays": [{"index": 2, "connector": 16, "panel": true}]}])",
       dpaux::kDisplayEdp, "adapter=0 display=1"},
      {"a display not connected is skipped", R"([
          {"index": 0, "displays": [{"index": 1, "connector": 16, "flags": "0x01", "panel": true},
                                    {"index": 3, "connector": 16, "panel": true}]}])",
       dpaux::kDisplayEdp, "adapter=0 display=3"},
      {"a display that names another adapter is skipped", R"([
          {"index": 2, "displays": [{"index": 1, "adapterIndex": 7, "connector": 16, "panel": true},
                                    {"index": 3, "connector": 16, "panel": true}]}])",
       dpaux::kDisplayEdp, "adapter=2 display=3"},
      {"the first match of an adapter", R"([
          {"index": 2, "displays": [{"index": 1, "connector": 15, "panel": true},
                                    {"index": 3, "connector": 15, "panel": true}]}])",
       dpaux::kDisplayDp, "adapter=2 display=1"},
      {"HDMI cannot be selected: the selection after binding stays", R"([
          {"index": 2, "displays": [{"index": 1, "connector": 10, "panel": true}]}])",
       dpaux::kDisplayHdmi, "adapter=0 display=0"},
      {"DisplayPort asked, only eDP there", R"([
          {"index": 2, "displays": [{"index": 1, "connector": 16, "panel": true}]}])",
       dpaux::kDisplayDp, "adapter=0 display=0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseAdapters(c.adapters);
    OpenChannel(c.displayType);
    std::uint8_t byte = 0;
    Transfer(I2c(1, 0, 0xC2, 0x0201, &byte, 1));
    EXPECT_EQ(Destination(), c.destination);
    CloseChannel();
  }
}

TEST_F(AuxAmdTest, AFailedSelectionKeepsThePreviousOne) {
  OpenChannel();
  std::uint8_t byte = 0;
  ASSERT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0201, &byte, 1)), 0);
  EXPECT_EQ(byte, 0x61);
  // The adapter's list now fails: the eDP display found before stays selected.
  sim::CurrentMachine().amdGpu->adapters[0].displayListFails = true;
  byte = 0;
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0201, &byte, 1)), 0);
  EXPECT_EQ(byte, 0x61);
  EXPECT_EQ(Destination(), "adapter=0 display=0");
}

TEST_F(AuxAmdTest, AdapterCountsAndListsFromTheLibraryAreBounded) {
  struct Case {
    const char* name;
    const char* patch;
    std::size_t infoCalls;  // ADL_Adapter_AdapterInfo_Get
    std::size_t listCalls;  // ADL_Display_DisplayInfo_Get
  };
  const Case cases[] = {
      {"count 0 scans nothing", R"({"amdGpu": {"adapterCount": 0}})", 0, 0},
      {"a negative count scans nothing", R"({"amdGpu": {"adapterCount": -1}})", 0, 0},
      {"a count no machine has scans nothing", R"({"amdGpu": {"adapterCount": 2000000000}})", 0, 0},
      {"adapter records that do not arrive are not scanned", R"({"amdGpu": {"adapterInfoFails": true}})", 1, 0},
      // Three records asked, two filled: the third reads as adapter 0 again.
      {"a count above the adapters", R"({"amdGpu": {"adapterCount": 3}})", 1, 2},
      // A display count far beyond the list is cut to the records the list holds.
      {"a display count beyond the list", R"({"amdGpu": {"adapters": [{"index": 0, "displayCount": 100000, "displays": [
          {"index": 0, "connector": 16, "panel": true}]}]}})", 1, 1},
      {"a negative display count", R"({"amdGpu": {"adapters": [{"index": 0, "displayCount": -7, "displays": [
          {"index": 0, "connector": 16, "panel": true}]}]}})", 1, 1},
      // A failed fetch after a good one: the freed list is not freed again.
      {"a list that fails after one that did not", R"({"amdGpu": {"adapters": [
          {"index": 0, "displays": [{"index": 0, "connector": 16, "panel": true}]},
          {"index": 1, "displayListFails": true}]}})", 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseAmd(c.patch);
    OpenChannel();
    dpaux::auxControl.SelectDisplay(dpaux::kDisplayEdp);
    EXPECT_EQ(TraceOf("adl.ADL_Adapter_AdapterInfo_Get").size(), c.infoCalls);
    EXPECT_EQ(TraceOf("adl.ADL_Display_DisplayInfo_Get").size(), c.listCalls);
    EXPECT_EQ(dpaux::adlInf.adapter, 0);
    EXPECT_EQ(dpaux::adlInf.display, 0);
    CloseChannel();
  }
}

TEST_F(AuxAmdTest, ReadMessagesByModeAndOption) {
  struct Case {
    const char* name;
    std::uint32_t mode, address, offset, length, flags;
    Lines messages;
  };
  const Case cases[] = {
      {"mode 0: the high byte picks the block", 0, 0xC0, 0x0400, 4, 0,
       {"option=0 send=c800 receive=0 -> 0 received=0", "option=0 send=c9 receive=4 -> 0 received=4"}},
      {"two offset bytes, then a read", 1, 0xC4, 0x0201, 1, 0,
       {"option=0 send=c40201 receive=0 -> 0 received=0", "option=0 send=c5 receive=1 -> 0 received=1"}},
      {"two offset bytes, combined with the read", 1, 0xC4, 0x0201, 1, 0x40,
       {"option=16 send=c40201 receive=1 -> 0 received=1"}},
      {"mode 4 makes the default offset read", 4, 0xC2, 0x0400, 2, 0,
       {"option=0 send=c20400 receive=0 -> 0 received=0", "option=0 send=c3 receive=2 -> 0 received=2"}},
      {"mode 5: the high byte alone, combined", 5, 0xC3, 0x1234, 1, 0,
       {"option=16 send=c212 receive=1 -> 0 received=1"}},
      {"mode 7: the low byte only, whatever isWrite says", 7, 0xC2, 0x1201, 1, 0,
       {"option=0 send=c20001 receive=0 -> 0 received=0", "option=0 send=c3 receive=1 -> 0 received=1"}},
      {"raw read", 3, 0xC2, 0x1234, 2, 0x40, {"option=0 send=c3 receive=2 -> 0 received=2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseAmd(c.address == 0xC0 ? R"({"panel": {"tcon": {"address": "0xC8"}}})" : "{}");
    OpenChannel();
    std::uint8_t data[8] = {};
    Transfer(I2c(c.mode, c.mode == 7 ? 1 : 0, c.address, c.offset, data, c.length, 16, c.flags));
    EXPECT_EQ(Messages(), c.messages);
    CloseChannel();
  }
}

TEST_F(AuxAmdTest, ReadsBringTheRegistersAndTheBusCarriesThem) {
  OpenChannel();
  std::uint8_t data[4] = {};
  ASSERT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0400, data, 4, 16, 0x40)), 0);
  EXPECT_EQ(std::vector<int>(data, data + 4), (std::vector<int>{0xA1, 0xA2, 0xA3, 0xA4}));
  EXPECT_EQ(Shape(), (Lines{"aux.i2c write 0xC2 mot=1 bytes=0400 -> ack", "aux.i2c read 0xC2 mot=0 count=4 -> ack"}));
}

TEST_F(AuxAmdTest, ModeSixSendsTheBuffersFirstBytesAndBoundsThem) {
  OpenChannel();
  std::uint8_t data[4] = {0x04, 0x01, 0xEE, 0xEE};
  ASSERT_EQ(Transfer(I2c(6, 0, 0xC2, 0x0002, data, 4)), 0);
  EXPECT_EQ(Messages(), Lines{"option=16 send=c20401 receive=4 -> 0 received=4"});
  EXPECT_EQ(std::vector<int>(data, data + 4), (std::vector<int>{0xA2, 0xA3, 0xA4, 0x00}));
  ForgetTrace();
  std::vector<std::uint8_t> big(32, 0);
  EXPECT_EQ(Transfer(I2c(6, 0, 0xC2, 0x0010, big.data(), 32)), -1);  // 16 offset bytes
  EXPECT_EQ(Transfer(I2c(6, 0, 0xC2, 0x0005, data, 4)), -1);  // more offset bytes than the buffer
  EXPECT_TRUE(Messages().empty());
}

TEST_F(AuxAmdTest, WriteMessagesByMode) {
  struct Case {
    const char* name;
    std::uint32_t mode, address, offset;
    std::vector<std::uint8_t> data;
    Lines messages;
  };
  const Case cases[] = {
      {"two offset bytes", 1, 0xC4, 0xFF03, {0x00, 0x80}, {"option=0 send=c4ff030080 receive=0 -> 0 received=0"}},
      {"mode 0: the block in the address", 0, 0xC4, 0x0110, {0x01}, {"option=0 send=c61001 receive=0 -> -1 received=0"}},
      {"mode 5 writes as the default", 5, 0xC5, 0xFF0A, {0x01}, {"option=0 send=c4ff0a01 receive=0 -> 0 received=0"}},
      {"raw write, whatever isWrite says", 2, 0xC5, 0xFF0A, {0x01, 0x02}, {"option=0 send=c40102 receive=0 -> 0 received=0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenChannel();
    std::vector<std::uint8_t> data = c.data;
    Transfer(I2c(c.mode, c.mode == 2 ? 0 : 1, c.address, c.offset, data.data(),
                 static_cast<std::uint32_t>(data.size())));
    EXPECT_EQ(Messages(), c.messages);
    CloseChannel();
  }
}

TEST_F(AuxAmdTest, LongTransfersGoInPieces) {
  struct Case {
    const char* name;
    std::uint32_t mode, isWrite, offset, length, flags;
    Lines heads;  // each message's first bytes and its size
    const char* patch = "{}";
  };
  const Case cases[] = {
      {"writes of 128 with the offset carried", 1, 1, 0x0080, 300, 0,
       {"c40080 131", "c40100 131", "c40180 47"}},
      {"writes of 256 with the option", 1, 1, 0x0080, 300, 0x20, {"c40080 259", "c40180 47"}},
      {"mode 0 writes carry into the block", 0, 1, 0x0080, 300, 0, {"c480 130", "c600 130", "c680 46"},
       R"({"panel": {"tcon": {"address": "0xC6"}}})"},
      {"raw reads of 256", 3, 0, 0, 300, 0, {"c5 1", "c5 1"}},
      {"raw writes of 256", 2, 1, 0, 300, 0, {"c4 257", "c4 45"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseAmd(c.patch);
    OpenChannel();
    std::vector<std::uint8_t> data(c.length, 0x5A);
    EXPECT_EQ(Transfer(I2c(c.mode, c.isWrite, 0xC4, c.offset, data.data(), c.length, 16, c.flags)), 0);
    Lines heads;
    for (const std::string& line : TraceOf("adl.ADL_Display_DDCBlockAccess_Get")) {
      const std::size_t send = line.find("send=") + 5;
      const std::string bytes = line.substr(send, line.find(' ', send) - send);
      heads.push_back(bytes.substr(0, c.mode == 0 ? 4 : (c.mode >= 2 ? 2 : 6)) + " " +
                      std::to_string(bytes.size() / 2));
    }
    EXPECT_EQ(heads, c.heads);
    CloseChannel();
  }
}

TEST_F(AuxAmdTest, OffsetReadsAbove256BytesFailBeforeAnyMessage) {
  OpenChannel();
  std::vector<std::uint8_t> data(257);
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0400, data.data(), 257)), -1);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(AuxAmdTest, ReceivedLengthsAndResultsFromTheLibraryAreNotTrusted) {
  struct Case {
    const char* name;
    const char* fault;
    std::uint32_t mode;
  };
  const Case cases[] = {
      {"a short receive", R"({"at": 2, "received": 3})", 1},
      {"a longer receive than asked", R"({"at": 2, "received": 300})", 1},
      {"a short combined receive", R"({"at": 1, "received": 0})", 5},
      {"a short raw receive", R"({"at": 1, "received": 1})", 3},
      {"a failure whose low byte is 0", R"({"at": 2, "result": -256})", 1},
      {"a failed offset write", R"({"at": 1, "result": -1})", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseAmd(std::string(R"({"amdGpu": {"ddcFaults": [)") + c.fault + "]}}");
    OpenChannel();
    std::uint8_t data[8] = {0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(Transfer(I2c(c.mode, 0, 0xC2, 0x0400, data, 4)), -1);
    EXPECT_EQ(data[4], 0xEE);
    CloseChannel();
  }
}

TEST_F(AuxAmdTest, NativeTransfersAreOneRecordOfAtMost16Bytes) {
  UseAmd(R"({"panel": {"dpcd": {"0x00000": "14 0a 84"}}})");
  OpenChannel();
  std::uint8_t data[20] = {};
  dpaux::KSXAUX_NATIVE_PARAM read = Native(0, 0x00000, data, 3);
  ASSERT_EQ(KSXAUX_NativeAuxAccess(&read), 0);
  EXPECT_EQ(std::vector<int>(data, data + 3), (std::vector<int>{0x14, 0x0A, 0x84}));
  std::uint8_t start = 0xC0;
  dpaux::KSXAUX_NATIVE_PARAM write = Native(1, 0x00102, &start, 1);
  ASSERT_EQ(KSXAUX_NativeAuxAccess(&write), 0);
  EXPECT_EQ(TraceOf("adl.ADL_Display_NativeAUXChannel_Access"),
            (Lines{"adl.ADL_Display_NativeAUXChannel_Access adapter=0 display=0 read address=0x0 count=3 -> 0 count=3",
                   "adl.ADL_Display_NativeAUXChannel_Access adapter=0 display=0 write address=0x102 count=1 -> 0 count=1"}));
  EXPECT_EQ(sim::CurrentMachine().panel.dpcd[0x102], 0xC0);
  ForgetTrace();
  dpaux::KSXAUX_NATIVE_PARAM tooLong = Native(0, 0x00000, data, 17);
  EXPECT_EQ(KSXAUX_NativeAuxAccess(&tooLong), -1);
  EXPECT_TRUE(TraceOf("adl.ADL_Display_NativeAUXChannel_Access").empty());
}

TEST_F(AuxAmdTest, NativeByteCountsFromTheLibraryAreBounded) {
  struct Case {
    const char* name;
    const char* fault;
    std::int32_t result;
    std::uint32_t copied;
  };
  const Case cases[] = {
      {"a count above the record", R"({"at": 1, "byteCount": 40})", -1, 3},
      {"a short count", R"({"at": 1, "byteCount": 1})", -1, 1},
      {"a negative count", R"({"at": 1, "byteCount": -4})", -1, 0},
      {"a failed call", R"({"at": 1, "result": -1})", -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseAmd(std::string(R"({"panel": {"dpcd": {"0x00000": "14 0a 84"}}, "amdGpu": {"nativeFaults": [)") + c.fault +
           "]}}");
    OpenChannel();
    std::uint8_t data[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    dpaux::KSXAUX_NATIVE_PARAM read = Native(0, 0x00000, data, 3);
    EXPECT_EQ(KSXAUX_NativeAuxAccess(&read), c.result);
    EXPECT_EQ(std::count(data, data + 8, 0xEE), static_cast<long>(8 - c.copied));
    CloseChannel();
  }
}

TEST_F(AuxAmdTest, DisplaySelectionRunsOnlyWhileTheChannelIsOpenOnAmd) {
  std::uint8_t byte = 0;
  // Closed: the export's selection reaches no library.
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0201, &byte, 1)), -1);
  EXPECT_TRUE(TraceOf("adl.").empty());
  OpenChannel();
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0201, &byte, 1)), 0);
  EXPECT_EQ(TraceOf("adl.ADL_Adapter_NumberOfAdapters_Get").size(), 1u);
  CloseChannel();
  ForgetTrace();
  // After a close, outside callers may still call: nothing is scanned.
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0201, &byte, 1)), -1);
  dpaux::auxControl.SelectDisplay(dpaux::kDisplayEdp);
  EXPECT_TRUE(TraceOf("adl.").empty());
  EXPECT_TRUE(TraceOf("kernel32.").empty());
}

TEST_F(AuxAmdTest, EdpAskedOnAMachineWhosePanelHangsOnDisplayPort) {
  LoadMachine(testsupport::ReadFile(std::string(SHIPPED_MACHINES_DIR "/tconprobe/amd-dp.json")));
  OpenChannel(dpaux::kDisplayEdp);
  std::uint8_t byte = 0;
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0201, &byte, 1)), -1);
  EXPECT_EQ(Destination(), "adapter=0 display=0");
}

}  // namespace
