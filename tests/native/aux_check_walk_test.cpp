// The MCU protocol walked through the exports as the check shapes its
// requests under the built-in profile (two bytes per AUX transaction, reads
// with a repeated start): on the default machine it takes exactly the
// transactions and waits the protocol needs, and each shipped tconprobe
// machine answers the way its comment says.
#include <filesystem>

#include "tests/native/aux_layer_test.h"

namespace {

using namespace aux_test;

enum class Outcome { NotOpened, NotConnected, TimedOut, Read };

struct Walk {
  Outcome outcome = Outcome::NotOpened;
  std::uint32_t value = 0;
};

class CheckWalk {
 public:
  explicit CheckWalk(std::int32_t gpuType = dpaux::kGpuIntel,
                     std::int32_t displayType = dpaux::kDisplayEdp)
      : gpuType_(gpuType), displayType_(displayType) {}

  Walk Run() {
    Walk walk;
    dpaux::KSXAUX_OPEN_PARAM open{16, gpuType_, displayType_, 0};
    if (KSXAUX_OpenDll(&open) != 0) return walk;
    std::uint8_t start = 0xC0;
    dpaux::KSXAUX_NATIVE_PARAM native{32, dpaux::kDisplayEdp, 1, 0x00102, &start, 1, 2, 0};
    KSXAUX_NativeAuxAccess(&native);
    walk.outcome = Connect() ? Checksum(&walk.value) : Outcome::NotConnected;
    dpaux::KSXAUX_CLOSE_PARAM close{4};
    KSXAUX_CloseDll(&close);
    return walk;
  }

 private:
  static bool Read(std::uint32_t device, std::uint32_t reg, std::uint8_t* data,
                   std::uint32_t length) {
    dpaux::KSXAUX_I2C_PARAM record{
        44, 2, 1, 0, device, reg, data, length, 0, length < 2 ? length : 2, 0x40};
    return KSXAUX_I2COverAuxAccess(&record) == 0;
  }
  static bool Write(std::uint32_t device, std::uint32_t reg, std::vector<std::uint8_t> bytes) {
    const auto length = static_cast<std::uint32_t>(bytes.size());
    dpaux::KSXAUX_I2C_PARAM record{
        44, 2, 1, 1, device, reg, bytes.data(), length, 0, length < 2 ? length : 2, 0};
    return KSXAUX_I2COverAuxAccess(&record) == 0;
  }
  static bool ReadBack(std::uint8_t* bytes) {
    bool ok = true;
    for (std::uint32_t i = 0; i < 3; ++i) ok = Read(0xC2, 0x89 + i, bytes + i, 1) && ok;
    return ok;
  }
  bool Connect() {
    std::uint8_t byte = 0, echo[3] = {};
    Read(0xC2, 0x0201, &byte, 1);
    if (!Write(0xC4, 0xFF0A, {0x01}) || !Write(0xC4, 0xFF07, {0x00, 0x88}) ||
        !Write(0xC4, 0xFF08, {0x00, 0x89})) {
      return false;
    }
    if (!Read(0xC2, 0x88, &byte, 1) || byte != 0x88) return false;
    if (!Write(0xC4, 0xFF0F, {0x29, 0x23, 0xBE}) || !ReadBack(echo)) return false;
    return echo[0] == 0x29 && echo[1] == 0x23 && echo[2] == 0xBE;
  }
  Outcome Checksum(std::uint32_t* value) {
    Write(0xC2, 0x89, {0, 0, 0});
    Write(0xC4, 0xFF06, {0x00, 0x82, 0x87, 0x00, 0x00, 0x01});
    std::int64_t frequency = 0, begin = 0, now = 0;
    platform::QueryPerformanceFrequency(&frequency);
    platform::QueryPerformanceCounter(&begin);
    for (double elapsed = 0; 10.0 > elapsed * 1000.0;) {
      platform::QueryPerformanceCounter(&now);
      elapsed = static_cast<double>(now - begin) / static_cast<double>(frequency);
      std::uint8_t status = 0;
      if (!Read(0xC2, 0x88, &status, 1)) {
        platform::Sleep(1);
        continue;
      }
      if ((status & 0x0F) != 0x06) return Outcome::NotConnected;
      if ((status & 0x80) == 0) continue;
      std::uint8_t sum[3] = {};
      if (!ReadBack(sum)) return Outcome::NotConnected;
      *value = static_cast<std::uint32_t>(sum[0] << 16 | sum[1] << 8 | sum[2]);
      return Outcome::Read;
    }
    return Outcome::TimedOut;
  }

  std::int32_t gpuType_, displayType_;
};

class AuxCheckWalkTest : public AuxLayerTest {};

TEST_F(AuxCheckWalkTest, DefaultMachineNeedsExactlyTheProtocolsTransactions) {
  sim::UseBuiltInMachine();
  sim::CurrentMachine().tracePath = Path("trace.txt");
  const Walk walk = CheckWalk().Run();
  ASSERT_EQ(walk.outcome, Outcome::Read);
  EXPECT_EQ(walk.value, 8u);
  EXPECT_EQ(TraceOf("aux.native").size(), 1u);
  EXPECT_EQ(TraceOf("aux.i2c").size(), 34u);
  EXPECT_EQ(TraceOf("kernel32.Sleep 1").size(), 9u);
  EXPECT_EQ(TraceOf("kernel32.Sleep").size(), 9u);
  EXPECT_EQ(TraceOf("cui.Release"), std::vector<std::string>{"cui.Release -> 0"});
  std::int64_t counter = 0;
  platform::QueryPerformanceCounter(&counter);
  EXPECT_EQ(counter, 125000);  // 35 transactions of 100 us and nine 1 ms waits, in 100 ns counts
  EXPECT_EQ(platform::GetTickCount(), 12u);
}

TEST_F(AuxCheckWalkTest, NvidiaPanelTakesTheSameShapesWithoutWaits) {
  LoadMachine(testsupport::ReadFile(SHIPPED_MACHINES_DIR "/tconprobe/nvidia-edp.json"));
  const Walk walk = CheckWalk(dpaux::kGpuNvidia).Run();
  ASSERT_EQ(walk.outcome, Outcome::Read);
  EXPECT_EQ(walk.value, 8u);
  // The Intel walk's 34 I2C transactions less its one status poll: 32 for
  // the protocol, and with no 1 ms wait before a read the MCU's 1 ms action
  // takes five polls of two 100 us transactions.
  EXPECT_EQ(TraceOf("aux.native").size(), 1u);
  EXPECT_EQ(TraceOf("aux.i2c write 0xC2 mot=1 bytes=0088").size(), 1u + 5u);  // the set-up check, then the polls
  EXPECT_EQ(TraceOf("aux.i2c").size(), 32u + 2u * 5u);
  EXPECT_EQ(TraceOf("nvidia.NvDisp_DpAuxChannelControl").size(), 1u + 32u + 2u * 5u);
  EXPECT_TRUE(TraceOf("kernel32.Sleep").empty());
}

TEST_F(AuxCheckWalkTest, ShippedMachinesAnswerAsTheirCommentsSay) {
  struct Case {
    const char* file;
    Walk expected;
    std::int32_t gpuType = dpaux::kGpuIntel;
    std::int32_t displayType = dpaux::kDisplayEdp;
  };
  const Case cases[] = {
      {"matching.json", {Outcome::Read, 8}},
      {"other-value.json", {Outcome::Read, 9}},
      {"mcu-silent.json", {Outcome::NotConnected, 0}},
      {"mcu-never-done.json", {Outcome::TimedOut, 0}},
      {"driver-retries.json", {Outcome::Read, 8}},
      {"driver-errors.json", {Outcome::NotConnected, 0}},
      {"no-intel-object.json", {Outcome::NotOpened, 0}},
      {"nvidia-edp.json", {Outcome::Read, 8}, dpaux::kGpuNvidia},
      {"nvidia-dp.json", {Outcome::Read, 8}, dpaux::kGpuNvidia, dpaux::kDisplayDp},
      {"nvidia-library-missing.json", {Outcome::NotOpened, 0}, dpaux::kGpuNvidia},
      {"nvidia-name-missing.json", {Outcome::NotOpened, 0}, dpaux::kGpuNvidia},
      {"nvidia-monitor-only.json", {Outcome::NotOpened, 0}, dpaux::kGpuNvidia},
      {"nvidia-aux-errors.json", {Outcome::NotConnected, 0}, dpaux::kGpuNvidia},
      {"amd-edp.json", {Outcome::Read, 8}, dpaux::kGpuAmd},
      {"amd-dp.json", {Outcome::Read, 8}, dpaux::kGpuAmd, dpaux::kDisplayDp},
      {"amd-atiadlxy.json", {Outcome::Read, 8}, dpaux::kGpuAmd},
      {"amd-missing-library.json", {Outcome::NotOpened, 0}, dpaux::kGpuAmd},
      {"amd-missing-name.json", {Outcome::NotOpened, 0}, dpaux::kGpuAmd},
      {"amd-two-adapters.json", {Outcome::Read, 8}, dpaux::kGpuAmd},
      {"amd-short-receives.json", {Outcome::NotConnected, 0}, dpaux::kGpuAmd},
      // The detection machines: the MCU answers the check on each of them.
      {"flash-edp.json", {Outcome::Read, 8}},
      {"flash-dp.json", {Outcome::NotConnected, 0}, dpaux::kGpuIntel, dpaux::kDisplayDp},  // its TCON is at 0xC0
      {"flash-edp-dp-monitor.json", {Outcome::Read, 8}},
      {"flash-unknown-model.json", {Outcome::Read, 8}},
      {"flash-no-version.json", {Outcome::Read, 8}},
      {"flash-edp-nvidia.json", {Outcome::Read, 8}, dpaux::kGpuNvidia},
      {"flash-edp-amd.json", {Outcome::Read, 8}, dpaux::kGpuAmd},
      {"eeprom-400.json", {Outcome::Read, 8}},
      {"eeprom-040.json", {Outcome::Read, 8}},
      {"eeprom-both.json", {Outcome::Read, 8}},
      {"eeprom-unsigned.json", {Outcome::Read, 8}},
  };
  std::size_t shipped = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SHIPPED_MACHINES_DIR "/tconprobe")) {
    shipped += entry.path().extension() == ".json";
  }
  EXPECT_EQ(shipped, std::size(cases));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    dpaux::ForgetIntelDisplayIds();
    dpaux::ForgetNvidiaLibrary();
    LoadMachine(testsupport::ReadFile(std::string(SHIPPED_MACHINES_DIR "/tconprobe/") + c.file));
    const Walk walk = CheckWalk(c.gpuType, c.displayType).Run();
    EXPECT_EQ(walk.outcome, c.expected.outcome);
    EXPECT_EQ(walk.value, c.expected.value);
  }
  EXPECT_EQ(TraceOf("kernel32.Sleep 5").size(), 6u);  // the retries of driver-retries.json
}

}  // namespace
