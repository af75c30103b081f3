// The panel model: the I2C-over-AUX bridge's transaction rules, the DPCD,
// the TCON's registers and the MCU's command protocol with its faults.
#include "sim/models/panel/panel.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

using namespace sim::panel;

constexpr std::uint32_t kTcon = 0xC2 >> 1;
constexpr std::uint32_t kMcu = 0xC4 >> 1;

AuxRequest Write(std::uint32_t address, bool mot, std::initializer_list<int> bytes, bool native = false) {
  AuxRequest request;
  request.command = native ? kNativeWrite : mot ? kI2cWrite | kI2cMot : kI2cWrite;
  request.address = address;
  for (int byte : bytes) request.data[request.length++] = static_cast<std::uint8_t>(byte);
  return request;
}

AuxRequest Read(std::uint32_t address, bool mot, unsigned length, bool native = false) {
  AuxRequest request;
  request.command = native ? kNativeRead : mot ? kI2cRead | kI2cMot : kI2cRead;
  request.address = address;
  request.length = length;
  return request;
}

std::vector<int> Data(const AuxAnswer& answer) {
  return std::vector<int>(answer.data, answer.data + answer.count);
}

class PanelTest : public ::testing::Test {
 protected:
  AuxAnswer Do(const AuxRequest& request) { return Transact(panel, request, now); }

  // A register write as the Intel back-end sends it: the offset with MOT,
  // then the data in pieces, the last one ending with a stop.
  void WriteRegister(std::uint32_t device, std::uint16_t reg, std::vector<int> bytes) {
    ASSERT_EQ(Do(Write(device, true, {reg >> 8, reg & 0xFF})).reply, AuxReply::Ack);
    AuxRequest last = Write(device, false, {});
    for (int byte : bytes) last.data[last.length++] = static_cast<std::uint8_t>(byte);
    ASSERT_EQ(Do(last).reply, AuxReply::Ack);
  }
  std::vector<int> ReadRegister(std::uint32_t device, std::uint16_t reg, unsigned length) {
    Do(Write(device, true, {reg >> 8, reg & 0xFF}));
    return Data(Do(Read(device, false, length)));
  }
  void Connect() {
    WriteRegister(kMcu, kMcuConnect, {0x01});
    WriteRegister(kMcu, kMcuStatusAddress, {0x00, 0x88});
    WriteRegister(kMcu, kMcuResultAddress, {0x00, 0x89});
  }
  void StartChecksum(std::uint32_t start, std::uint32_t length) {
    WriteRegister(kMcu, kMcuAction, {int(start >> 16), int(start >> 8 & 0xFF), int(start & 0xFF), int(length >> 16),
                                     int(length >> 8 & 0xFF), int(length & 0xFF)});
  }

  Panel panel;
  std::uint64_t now = 0;
};

TEST_F(PanelTest, TconNamesItsOwnAddressInSevenBitForm) {
  EXPECT_EQ(ReadRegister(kTcon, 0x0201, 1), std::vector<int>{0x61});
}

TEST_F(PanelTest, RegisterPointerAdvancesAcrossTransactionsAndStops) {
  panel.tcon.registers[0x0089] = 0x12;
  panel.tcon.registers[0x008A] = 0x34;
  panel.tcon.registers[0x008B] = 0x56;
  Do(Write(kTcon, false, {0x00, 0x89}));  // offset, then a stop
  EXPECT_EQ(Data(Do(Read(kTcon, true, 1))), std::vector<int>{0x12});
  EXPECT_EQ(Data(Do(Read(kTcon, false, 1))), std::vector<int>{0x34});
  EXPECT_EQ(Data(Do(Read(kTcon, false, 1))), std::vector<int>{0x56});  // no address phase: the pointer goes on
}

TEST_F(PanelTest, RepeatedStartReadsFromTheOffsetJustWritten) {
  panel.tcon.registers[0x1234] = 0xAB;
  Do(Write(kTcon, true, {0x12, 0x34}));
  EXPECT_EQ(Data(Do(Read(kTcon, false, 2))), (std::vector<int>{0xAB, 0x00}));
  EXPECT_EQ(panel.open.device, Device::None);  // no MOT: the read ended with a stop
}

TEST_F(PanelTest, RefusesWhatTheBusCannotCarry) {
  AuxRequest tooLong = Read(kTcon, false, 17);
  EXPECT_EQ(Do(tooLong).reply, AuxReply::Nack);
  EXPECT_EQ(Do(Read(0x50, false, 1)).reply, AuxReply::Nack);  // nobody at 0xA0
  EXPECT_EQ(Do(Read(kDpcdLimit - 1, false, 2, true)).reply, AuxReply::Nack);
  EXPECT_EQ(Do(Read(0x100, false, 0, true)).reply, AuxReply::Nack);
  panel.mcu.device.silent = true;
  Do(Write(kTcon, true, {0x00}));
  EXPECT_EQ(Do(Write(kMcu, false, {0xFF, 0x0A, 0x01})).reply, AuxReply::Nack);
  EXPECT_EQ(panel.open.device, Device::None);
  EXPECT_FALSE(panel.mcu.connected);
}

TEST_F(PanelTest, DpcdKeepsWhatIsWrittenAndReadsZeroElsewhere) {
  panel.dpcd[0x00000] = 0x14;
  EXPECT_EQ(Do(Write(0x00102, false, {0xC0}, true)).reply, AuxReply::Ack);
  EXPECT_EQ(panel.dpcd.at(0x00102), 0xC0);
  EXPECT_EQ(Data(Do(Read(0x00000, false, 3, true))), (std::vector<int>{0x14, 0, 0}));
}

TEST_F(PanelTest, ForcedRepliesReachNoDevice) {
  panel.faults = {AuxFault{2, 2, AuxReply::Defer}, AuxFault{6, 0, AuxReply::Nack}};
  const std::vector<AuxReply> expected = {AuxReply::Ack,  AuxReply::Defer, AuxReply::Defer,
                                          AuxReply::Ack,  AuxReply::Ack,   AuxReply::Nack, AuxReply::Nack};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Do(Write(0x00200, false, {int(i)}, true)).reply, expected[i]) << "transaction " << i + 1;
  }
  EXPECT_EQ(panel.dpcd.at(0x00200), 4);  // the last one that got through
}

TEST_F(PanelTest, McuPublishesSetUpStatusAndEchoInTheTconRegistersItWasTold) {
  WriteRegister(kMcu, kMcuStatusAddress, {0x00, 0x88});  // before the connection: ignored
  EXPECT_EQ(ReadRegister(kTcon, 0x0088, 1), std::vector<int>{0x00});
  Connect();
  EXPECT_EQ(ReadRegister(kTcon, 0x0088, 1), std::vector<int>{0x88});
  WriteRegister(kMcu, kMcuEcho, {0x29, 0x23, 0xBE});
  EXPECT_EQ(ReadRegister(kTcon, 0x0089, 3), (std::vector<int>{0x29, 0x23, 0xBE}));
}

TEST_F(PanelTest, ChecksumActionRunsForItsTimeThenPublishesTheSum) {
  panel.rom.assign(0x10000, 0);
  panel.rom[0x8287] = 0x08;
  panel.rom[0x8288] = 0xF0;
  panel.mcu.checksumMicroseconds = 1000;
  Connect();
  now = 5000;
  StartChecksum(0x8287, 2);
  now = 5999;
  EXPECT_EQ(ReadRegister(kTcon, 0x0088, 1), std::vector<int>{0x06});
  now = 6000;
  EXPECT_EQ(ReadRegister(kTcon, 0x0088, 1), std::vector<int>{0x86});
  EXPECT_EQ(ReadRegister(kTcon, 0x0089, 3), (std::vector<int>{0x00, 0x00, 0xF8}));
}

TEST_F(PanelTest, McuFaults) {
  struct Case {
    const char* name;
    void (*fault)(Mcu&);
    int setUpStatus, statusAfterAction;
    std::vector<int> echo;
  };
  const Case cases[] = {
      {"healthy", [](Mcu&) {}, 0x88, 0x86, {1, 2, 3}},
      {"never done", [](Mcu& m) { m.neverDone = true; }, 0x88, 0x06, {1, 2, 3}},
      {"another action", [](Mcu& m) { m.actionStatus = 0x88; }, 0x88, 0x88, {1, 2, 3}},
      {"set-up status", [](Mcu& m) { m.setUpStatus = 0x08; }, 0x08, 0x86, {1, 2, 3}},
      {"wrong echo", [](Mcu& m) { m.wrongEcho = true; }, 0x88, 0x86, {1, 2, 0xFC}},
  };
  for (const Case& c : cases) {
    panel = Panel{};
    now = 0;
    c.fault(panel.mcu);
    Connect();
    EXPECT_EQ(ReadRegister(kTcon, 0x0088, 1), std::vector<int>{c.setUpStatus}) << c.name;
    WriteRegister(kMcu, kMcuEcho, {1, 2, 3});
    EXPECT_EQ(ReadRegister(kTcon, 0x0089, 3), c.echo) << c.name;
    StartChecksum(0, 1);
    now = 1000000;
    EXPECT_EQ(ReadRegister(kTcon, 0x0088, 1), std::vector<int>{c.statusAfterAction}) << c.name;
  }
}

TEST_F(PanelTest, CommandCompletesAtARepeatedStartAndOnlyWithWholeArguments) {
  Connect();
  Do(Write(kMcu, true, {0xFF, 0x08, 0x01}));  // one argument byte of two, then a read
  Do(Read(kMcu, false, 1));
  EXPECT_EQ(panel.mcu.resultRegister, std::uint16_t{0x0089});
  Do(Write(kMcu, true, {0xFF, 0x08, 0x00, 0x90}));
  Do(Read(kMcu, false, 1));
  EXPECT_EQ(panel.mcu.resultRegister, std::uint16_t{0x0090});
}

TEST_F(PanelTest, McuShowsItsProgramStartAndOpensTheFlashWindowWithoutAConnection) {
  panel.rom.assign(0x10000, 0xFF);
  panel.rom[0x6500] = 0x11;
  panel.rom[0x657F] = 0x22;
  panel.rom[0x6580] = 0x33;
  panel.rom[0x0500] = 0x44;
  panel.mcu.device.registers[0x0580] = 0x55;
  // Without a flash the MCU shows its registers.
  EXPECT_EQ(ReadRegister(kMcu, 0x0500, 1), std::vector<int>{0x00});
  panel.flash = Flash{0x6000};
  EXPECT_EQ(ReadRegister(kMcu, 0x0500, 1), std::vector<int>{0x11});
  EXPECT_EQ(ReadRegister(kMcu, 0x057F, 2), (std::vector<int>{0x22, 0x55}));  // the block ends at 0x057F
  struct Case {
    std::vector<int> window;
    std::vector<int> at0500;
  };
  const Case cases[] = {{{0x00, 0x80}, {0x44}}, {{0x00, 0x00}, {0x11}}, {{0x00, 0x70}, {0x44}},
                        {{0x00, 0x81}, {0x11}}, {{0x00, 0x80, 0x00}, {0x11}}};
  for (const Case& c : cases) {
    WriteRegister(kMcu, kMcuFlashWindow, c.window);
    EXPECT_EQ(ReadRegister(kMcu, 0x0500, 1), c.at0500) << testing::PrintToString(c.window);
  }
  WriteRegister(kMcu, kMcuFlashWindow, {0x00, 0x80});
  EXPECT_EQ(ReadRegister(kMcu, 0xFFFF, 2), (std::vector<int>{0xFF, 0xFF}));  // past the image: erased
  EXPECT_FALSE(panel.mcu.connected);
  // Commands still reach the MCU while the window is open.
  Connect();
  EXPECT_EQ(ReadRegister(kTcon, 0x0088, 1), std::vector<int>{0x88});
}

TEST_F(PanelTest, EepromBlocksHaveAddressesOfTheirOwnAndOneBytePointers) {
  panel.eeprom = Eeprom{};
  for (unsigned i = 0; i < kEepromBytes; ++i) panel.eeprom->bytes[i] = static_cast<std::uint8_t>(i >> 8 ^ i);
  // Block 4 at 0xC8, block 5 at 0xCA: a write of the pointer, then a read.
  EXPECT_EQ(Do(Write(0xC8 >> 1, true, {0x00})).reply, AuxReply::Ack);
  EXPECT_EQ(Data(Do(Read(0xC8 >> 1, false, 4))), (std::vector<int>{0x04, 0x05, 0x06, 0x07}));
  Do(Write(0xCA >> 1, false, {0x10}));
  EXPECT_EQ(Data(Do(Read(0xCA >> 1, false, 2))), (std::vector<int>{0x15, 0x14}));
  // The next write's first byte is a pointer again; the bytes after it are stored.
  Do(Write(0xCE >> 1, false, {0xFF, 0xAB, 0xCD}));
  EXPECT_EQ(panel.eeprom->bytes[0x7FF], 0xAB);
  EXPECT_EQ(panel.eeprom->bytes[0x000], 0xCD);  // the pointer wraps through the whole memory
  // The TCON at 0xC2 and the MCU at 0xC4 answer before blocks 1 and 2; the
  // MCU names the TCON's address as the TCON does.
  EXPECT_EQ(ReadRegister(kTcon, 0x0201, 1), std::vector<int>{0x61});
  EXPECT_EQ(ReadRegister(kMcu, 0x0201, 1), std::vector<int>{0x61});
  EXPECT_EQ(Do(Read(0xD0 >> 1, false, 1)).reply, AuxReply::Nack);  // past block 7
  panel.eeprom->silent = true;
  EXPECT_EQ(Do(Read(0xC8 >> 1, false, 1)).reply, AuxReply::Nack);
}

TEST(MonitorSinkTest, TakesDpcdAccessAndAnswersNoI2cDevice) {
  AuxRequest native;
  native.command = kNativeWrite;
  native.address = 0x102;
  native.length = 1;
  EXPECT_EQ(TransactWithoutPanel(native).reply, AuxReply::Ack);
  native.command = kNativeRead;
  native.data[0] = 0x55;
  const AuxAnswer read = TransactWithoutPanel(native);
  EXPECT_EQ(read.reply, AuxReply::Ack);
  EXPECT_EQ(read.count, 1u);
  EXPECT_EQ(read.data[0], 0);
  native.length = 17;
  EXPECT_EQ(TransactWithoutPanel(native).reply, AuxReply::Nack);
  AuxRequest i2c;
  i2c.command = kI2cRead;
  i2c.address = 0x62;
  i2c.length = 1;
  EXPECT_EQ(TransactWithoutPanel(i2c).reply, AuxReply::Nack);
}

TEST(RomChecksumTest, AddsBytesIn24BitsAndReadsErasedBeyondTheImage) {
  const std::vector<std::uint8_t> rom = {1, 2, 3};
  EXPECT_EQ(RomChecksum(rom, 0, 3), 6u);
  EXPECT_EQ(RomChecksum(rom, 2, 3), 3u + 0xFF + 0xFF);
  EXPECT_EQ(RomChecksum(rom, 0, 0), 0u);
  EXPECT_EQ(RomChecksum({}, 0, 0x10001), 0xFFu * 0x10001 & 0xFFFFFF);
  EXPECT_EQ(RomChecksum({}, 0xFFFFFF, 2), 0x1FEu);  // no wrap of the address
}

}  // namespace
