#include <filesystem>
#include <string>

#include "inventory/common/wide_inventory.h"
#include "inventory/recoveryscan/narrow_inventory.h"
#include "tests/native/sim_test.h"

namespace {

using inventory::InventoryForm;
using inventory::ModuleIdentity;
using inventory::WideInventoryText;
using inventory::WriteWideInventory;
using inventory::recoveryscan::NarrowInventoryText;
using inventory::recoveryscan::WriteNarrowInventory;

const ModuleIdentity kCleanup{u"111084", u"Orvo Zerbix Removal Utility", u"APAC"};

class InventoryWriterTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    LoadMachine(R"({"localTime": "2021-11-28T16:26:58"})");
  }
};

TEST_F(InventoryWriterTest, FullWideFormIsTheTemplateInUtf16LeWithoutByteOrderMark) {
  ASSERT_TRUE(WriteWideInventory(u"out.xml", InventoryForm::Full, u"1.2.3", kCleanup));
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "\t<SVMInventory lang=\"en\" schemaVersion=\"1.0\" timeStamp=\"2021-11-28T16:26:58\">\n"
      "\t\t<Device componentID=\"111084\" display=\"Orvo Zerbix Removal Utility\">\n"
      "\t\t\t<Application componentType=\"APAC\" version=\"1.2.3\" display=\"Orvo Zerbix Removal "
      "Utility\" packageVersion=\"1.2.3\"/>\n"
      "\t\t</Device>\n"
      "\t</SVMInventory>\n";
  EXPECT_EQ(Read("out.xml"), testsupport::Utf8ToUtf16Le(expected));
  EXPECT_EQ(Read("out.xml").size(), 2 * expected.size());
}

TEST_F(InventoryWriterTest, TimeStampFieldsBelowTenHaveALeadingZero) {
  sim::CurrentMachine().localTime = platform::LocalTime{2022, 2, 5, 6, 4, 7};
  const std::u16string text = WideInventoryText(InventoryForm::Full, u"1", kCleanup);
  EXPECT_NE(text.find(u"timeStamp=\"2022-02-05T06:04:07\""), std::u16string::npos);
}

TEST_F(InventoryWriterTest, EmptyWideFormIs83CharactersEndingInXmlEndTag) {
  ASSERT_TRUE(WriteWideInventory(u"out.xml", InventoryForm::Empty, u"ignored", kCleanup));
  const std::string bytes = Read("out.xml");
  EXPECT_EQ(bytes.size(), 166u);
  EXPECT_EQ(bytes, testsupport::Utf8ToUtf16Le(
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SVMInventory "
                       "lang=\"en\"></SVMInventory></xml>"));
}

TEST_F(InventoryWriterTest, ValuesAreEscapedAndReplaceAnExistingFile) {
  testsupport::WriteFile(Path("out.xml"), std::string(20000, 'x'));
  ASSERT_TRUE(WriteWideInventory(u"out.xml", InventoryForm::Full, u"1&2\"<3>\u0001", kCleanup));
  const std::string text = testsupport::Utf16LeToUtf8(Read("out.xml"));
  EXPECT_NE(text.find("version=\"1&amp;2&quot;&lt;3&gt;\uFFFD\" display="), std::string::npos);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find("xxx"), std::string::npos);
  EXPECT_FALSE(testsupport::FileExists(Path("out.xm~")));
}

// The longest value the registry read hands over (511 characters), all of
// them escaped, still gives the whole document: nothing is cut.
TEST_F(InventoryWriterTest, LongestEscapedValueKeepsTheDocumentWhole) {
  const std::u16string text = WideInventoryText(InventoryForm::Full, std::u16string(511, u'"'), kCleanup);
  EXPECT_EQ(text.size(), 511u * 6 * 2 + WideInventoryText(InventoryForm::Full, u"", kCleanup).size());
  EXPECT_EQ(text.substr(text.size() - 17), u"\t</SVMInventory>\n");
}

TEST_F(InventoryWriterTest, WideWriterReportsAFileThatCannotBeCreated) {
  EXPECT_FALSE(WriteWideInventory(u"missing\\folder\\out.xml", InventoryForm::Full, u"1", kCleanup));
  EXPECT_FALSE(testsupport::FileExists(Path("missing")));
}

// A target that cannot be replaced (here a folder) keeps what it was, and the
// finished temporary document is removed again.
TEST_F(InventoryWriterTest, WritersLeaveNoTemporaryFileWhenTheMoveFails) {
  std::filesystem::create_directory(Path("out.xml"));
  std::filesystem::create_directory(Path("inv.xml"));
  EXPECT_FALSE(WriteWideInventory(u"out.xml", InventoryForm::Full, u"1", kCleanup));
  EXPECT_FALSE(WriteNarrowInventory("inv.xml", "1", "x"));
  EXPECT_TRUE(std::filesystem::is_directory(Path("out.xml")));
  EXPECT_TRUE(std::filesystem::is_directory(Path("inv.xml")));
  EXPECT_FALSE(testsupport::FileExists(Path("out.xm~")));
  EXPECT_FALSE(testsupport::FileExists(Path("inv.xm~")));
}

// A full volume at any byte of the document: the old document stays as it
// was (or there is none), no temporary file is left, and the writer says so.
TEST_F(InventoryWriterTest, FullVolumeLeavesTheOldDocumentAndNoTemporaryFile) {
  const std::uint64_t wideBytes = 2 * WideInventoryText(InventoryForm::Full, u"1.2.3", kCleanup).size();
  // The narrow document on disk: its text, and a CR for its one LF.
  const std::uint64_t narrowBytes =
      NarrowInventoryText("10.1.20.300", "OrvoUpdateSentivaPlugin", "2021-11-28T16:26:58").size() + 1;
  for (const std::uint64_t free : {std::uint64_t{0}, std::uint64_t{1}, narrowBytes / 2, narrowBytes - 1}) {
    SCOPED_TRACE(free);
    testsupport::WriteFile(Path("out.xml"), "old wide");
    testsupport::WriteFile(Path("inv.xml"), "old narrow");
    sim::CurrentMachine().volume.bytes = free;
    EXPECT_FALSE(WriteWideInventory(u"out.xml", InventoryForm::Full, u"1.2.3", kCleanup));
    sim::CurrentMachine().volume.bytes = free;
    EXPECT_FALSE(WriteNarrowInventory("inv.xml", "10.1.20.300", "OrvoUpdateSentivaPlugin"));
    EXPECT_EQ(Read("out.xml"), "old wide");
    EXPECT_EQ(Read("inv.xml"), "old narrow");
    EXPECT_FALSE(testsupport::FileExists(Path("out.xm~")));
    EXPECT_FALSE(testsupport::FileExists(Path("inv.xm~")));
  }
  // Just enough room: the documents take the old ones' places.
  sim::CurrentMachine().volume.bytes = wideBytes;
  EXPECT_TRUE(WriteWideInventory(u"out.xml", InventoryForm::Full, u"1.2.3", kCleanup));
  EXPECT_EQ(Read("out.xml").size(), wideBytes);
  sim::CurrentMachine().volume.bytes = narrowBytes;
  EXPECT_TRUE(WriteNarrowInventory("inv.xml", "10.1.20.300", "OrvoUpdateSentivaPlugin"));
  EXPECT_EQ(Read("inv.xml").size(), narrowBytes);
}

TEST_F(InventoryWriterTest, NarrowWriterConcatenatesOneLineAfterTheDeclaration) {
  ASSERT_TRUE(WriteNarrowInventory("inv.xml", "10.1.20.300", "OrvoUpdateSentivaPlugin"));
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\r\n"
      "<SVMInventory lang=\"en\" timeStamp=\"2021-11-28T16:26:58\" schemaVersion=\"1.0\">"
      "<Device display=\"OrvoUpdateSentivaPlugin\" componentID=\"104763\">"
      "<Application componentType=\"APAC\" version=\"10.1.20.300\" "
      "display=\"OrvoUpdateSentivaPlugin\" packageVersion=\"10.1.20.300\"></Application></Device>"
      "</SVMInventory>";
  EXPECT_EQ(Read("inv.xml"), expected);
}

// The values come in the ANSI code page (Windows-1252 here) and leave in the
// UTF-8 that the declaration names, escaped; a control character becomes "?".
TEST_F(InventoryWriterTest, NarrowWriterConvertsValuesToUtf8AndEscapesThem) {
  testsupport::WriteFile(Path("inv.xml"), std::string(5000, 'x'));
  ASSERT_TRUE(WriteNarrowInventory("inv.xml", "1\n2\x01", "Caf\xE9 & \"Co\" \x80"));
  const std::string bytes = Read("inv.xml");
  EXPECT_NE(bytes.find("version=\"1&#10;2?\""), std::string::npos);
  EXPECT_NE(bytes.find("display=\"Caf\xC3\xA9 &amp; &quot;Co&quot; \xE2\x82\xAC\""), std::string::npos);
  EXPECT_EQ(bytes.find("xxx"), std::string::npos);
  EXPECT_FALSE(testsupport::FileExists(Path("inv.xm~")));
}

TEST_F(InventoryWriterTest, NarrowWriterReportsAFileThatCannotBeOpened) {
  EXPECT_FALSE(WriteNarrowInventory("no\\such\\folder\\inv.xml", "0", "x"));
}

}  // namespace
