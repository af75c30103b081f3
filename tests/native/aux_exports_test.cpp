// The exported AUX functions: their record checks, the one channel per
// process, and the settings they hand to the control object.
#include "sim/seam/services.h"
#include "tests/native/aux_layer_test.h"

namespace {

using namespace aux_test;

class AuxExportsTest : public AuxLayerTest {};

TEST_F(AuxExportsTest, RefusedRecordsSendNothing) {
  ASSERT_EQ(Open(), 0);
  ForgetTrace();
  std::uint8_t byte = 0;
  dpaux::KSXAUX_I2C_PARAM noLength = I2c(1, 0, 0xC2, 0x0500, &byte, 0);
  dpaux::KSXAUX_I2C_PARAM noBuffer = I2c(1, 0, 0xC2, 0x0500, nullptr, 1);
  dpaux::KSXAUX_NATIVE_PARAM nativeNoLength = Native(0, 0, &byte, 0);
  dpaux::KSXAUX_NATIVE_PARAM nativeNoBuffer = Native(1, 0x102, nullptr, 1);
  EXPECT_EQ(KSXAUX_OpenDll(nullptr), -2);
  EXPECT_EQ(KSXAUX_CloseDll(nullptr), -2);
  EXPECT_EQ(KSXAUX_NativeAuxAccess(nullptr), -2);
  EXPECT_EQ(KSXAUX_I2COverAuxAccess(nullptr), -2);
  EXPECT_EQ(KSXAUX_I2COverAuxAccess(&noLength), -2);
  EXPECT_EQ(KSXAUX_I2COverAuxAccess(&noBuffer), -2);
  EXPECT_EQ(KSXAUX_NativeAuxAccess(&nativeNoLength), -2);
  EXPECT_EQ(KSXAUX_NativeAuxAccess(&nativeNoBuffer), -2);
  EXPECT_TRUE(TraceLines().empty());
  EXPECT_EQ(dpaux::auxControl.opened, 1);  // a refused record leaves the channel as it was
}

TEST_F(AuxExportsTest, RequestBytesAreNormalisedInTheCallersRecord) {
  ASSERT_EQ(Open(), 0);
  std::uint8_t data[32] = {};
  dpaux::KSXAUX_I2C_PARAM zero = I2c(1, 0, 0xC2, 0x0500, data, 20, 0);
  EXPECT_EQ(KSXAUX_I2COverAuxAccess(&zero), 0);
  EXPECT_EQ(zero.requestBytes, 16u);
  dpaux::KSXAUX_I2C_PARAM shorter = I2c(1, 0, 0xC2, 0x0500, data, 4, 16);
  EXPECT_EQ(KSXAUX_I2COverAuxAccess(&shorter), 0);
  EXPECT_EQ(shorter.requestBytes, 4u);
  dpaux::KSXAUX_NATIVE_PARAM native = Native(0, 0, data, 1);
  native.requestBytes = 0;
  EXPECT_EQ(KSXAUX_NativeAuxAccess(&native), 0);
  EXPECT_EQ(native.requestBytes, 16u);
}

TEST_F(AuxExportsTest, RequestBytesAreClampedBeforeTheyAreNarrowed) {
  ASSERT_EQ(Open(), 0);
  std::uint8_t data[64] = {};
  dpaux::KSXAUX_I2C_PARAM record = I2c(1, 0, 0xC2, 0x0500, data, 64, 0x101);  // narrowed first it would be 1
  ForgetTrace();
  EXPECT_EQ(KSXAUX_I2COverAuxAccess(&record), 0);
  EXPECT_EQ(TraceOf("aux.i2c read 0xC2 mot=1 count=16").size(), 3u);
  EXPECT_EQ(TraceOf("aux.i2c read 0xC2 mot=0 count=16").size(), 1u);
  EXPECT_EQ(TraceOf("aux.i2c read").size(), 4u);
}

TEST_F(AuxExportsTest, ModeSevenReadsAtTheLowOffsetByteWhateverIsWriteSays) {
  ASSERT_EQ(Open(), 0);
  ForgetTrace();
  std::uint8_t byte = 0;
  dpaux::KSXAUX_I2C_PARAM record = I2c(7, 1, 0xC0, 0x1234, &byte, 1);
  EXPECT_EQ(KSXAUX_I2COverAuxAccess(&record), -1);  // nobody answers at 0xC0
  EXPECT_EQ(record.offset, 0x34u);
  const auto shape = Shape();
  ASSERT_FALSE(shape.empty());
  EXPECT_EQ(shape[0], "aux.i2c write 0xC0 mot=0 bytes=34 -> nack");
}

TEST_F(AuxExportsTest, OneChannelPerProcess) {
  EXPECT_EQ(Open(dpaux::kGpuIntel, dpaux::kDisplayEdp), 0);
  EXPECT_EQ(Open(dpaux::kGpuIntel, dpaux::kDisplayDp), -1);
  EXPECT_EQ(dpaux::auxControl.opened, 1);
  EXPECT_EQ(TraceOf("cui.Release").size(), 0u);  // the first channel stays open, on its own link
  std::uint8_t byte = 0;
  dpaux::KSXAUX_I2C_PARAM record = I2c(1, 0, 0xC2, 0x0500, &byte, 1);
  EXPECT_EQ(KSXAUX_I2COverAuxAccess(&record), 0);
  EXPECT_NE(TraceOf("cui.SetDataBlock aux")[0].find("device=0x00000300"), std::string::npos);
  dpaux::KSXAUX_CLOSE_PARAM close{4};
  EXPECT_EQ(KSXAUX_CloseDll(&close), 0);
  EXPECT_EQ(KSXAUX_CloseDll(&close), 0);  // also when nothing is open
  EXPECT_EQ(TraceOf("cui.Release").size(), 1u);
  EXPECT_EQ(Open(), 0);
}

TEST_F(AuxExportsTest, OnlyTheIntelBackEndOpens) {
  for (std::int32_t gpu : {0, 2, 3, 4, -1}) {
    EXPECT_EQ(Open(gpu), -1) << gpu;
    EXPECT_EQ(dpaux::auxControl.opened, 0) << gpu;
  }
  EXPECT_TRUE(TraceOf("com.").empty());
}

TEST_F(AuxExportsTest, OpenAndCloseGiveBackWhatTheyTook) {
  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(sim::ComInitializations(), 1);
  EXPECT_EQ(sim::LiveComObjects(), 1);
  dpaux::KSXAUX_CLOSE_PARAM close{4};
  EXPECT_EQ(KSXAUX_CloseDll(&close), 0);
  EXPECT_EQ(sim::ComInitializations(), 0);
  EXPECT_EQ(sim::LiveComObjects(), 0);
  EXPECT_EQ(TraceOf("com.CoCreateInstance"), std::vector<std::string>{"com.CoCreateInstance Igfxext.CUIExternal -> 0x0"});
}

TEST_F(AuxExportsTest, WithoutTheIntelObjectNothingOpensAndCOMIsLeftAsItWas) {
  UseMachine(R"({"intelGpu": null})");
  EXPECT_EQ(Open(), -1);
  EXPECT_EQ(dpaux::auxControl.opened, 0);
  EXPECT_EQ(TraceOf("com.CLSIDFromProgID"),
            std::vector<std::string>{"com.CLSIDFromProgID Igfxext.CUIExternal -> 0x800401F3"});
  EXPECT_EQ(TraceOf("com.CoUninitialize").size(), 1u);
  EXPECT_EQ(sim::ComInitializations(), 0);
  EXPECT_TRUE(TraceOf("cui.").empty());
  EXPECT_TRUE(TraceOf("kernel32.GetSystemPowerStatus").empty());  // no power feature change
}

TEST_F(AuxExportsTest, COMIsUninitialisedOnlyWhenTheOpenInitialisedIt) {
  platform::CoInitializeMultithreaded();  // the thread is in another apartment already
  ASSERT_EQ(Open(), 0);
  dpaux::KSXAUX_CLOSE_PARAM close{4};
  KSXAUX_CloseDll(&close);
  EXPECT_TRUE(TraceOf("com.CoUninitialize").empty());
  EXPECT_EQ(sim::ComInitializations(), 1);
  platform::CoUninitialize();
}

TEST_F(AuxExportsTest, TransfersUseTheDisplayTypeGivenAtOpen) {
  ASSERT_EQ(Open(dpaux::kGpuIntel, dpaux::kDisplayDp), 0);
  std::uint8_t byte = 0;
  dpaux::KSXAUX_I2C_PARAM record = I2c(1, 0, 0xC2, 0x0500, &byte, 1);
  record.displayType = dpaux::kDisplayEdp;
  ForgetTrace();
  EXPECT_EQ(KSXAUX_I2COverAuxAccess(&record), 0);
  const auto blocks = TraceOf("cui.GetDataBlock aux");
  ASSERT_FALSE(blocks.empty());
  EXPECT_NE(blocks[0].find("device=0x00000700"), std::string::npos) << blocks[0];  // the docked DP device
  EXPECT_EQ(dpaux::auxControl.channel.displayType, dpaux::kDisplayDp);
}

TEST_F(AuxExportsTest, TransfersOnAClosedChannelFail) {
  std::uint8_t byte = 0;
  dpaux::KSXAUX_I2C_PARAM record = I2c(1, 0, 0xC2, 0x0500, &byte, 1);
  dpaux::KSXAUX_NATIVE_PARAM native = Native(1, 0x102, &byte, 1);
  EXPECT_EQ(KSXAUX_I2COverAuxAccess(&record), -1);
  EXPECT_EQ(KSXAUX_NativeAuxAccess(&native), -1);
  EXPECT_TRUE(TraceLines().empty());
}

}  // namespace
