#include <string>

#include "inventory/common/wide_inventory.h"
#include "inventory/recoveryscan/narrow_inventory.h"
#include "tests/native/sim_test.h"

namespace {

using inventory::InventoryForm;
using inventory::ModuleIdentity;
using inventory::WideInventoryText;
using inventory::WriteWideInventory;
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

TEST_F(InventoryWriterTest, ValuesAreWrittenUnescapedAndReplaceAnExistingFile) {
  testsupport::WriteFile(Path("out.xml"), std::string(20000, 'x'));
  ASSERT_TRUE(WriteWideInventory(u"out.xml", InventoryForm::Full, u"1&2\"<3>", kCleanup));
  const std::string text = testsupport::Utf16LeToUtf8(Read("out.xml"));
  EXPECT_NE(text.find("version=\"1&2\"<3>\" display="), std::string::npos);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find("xxx"), std::string::npos);
}

TEST_F(InventoryWriterTest, OversizedWideDocumentIsCutAt4095Characters) {
  const std::u16string version(3000, u'9');
  const std::u16string text = WideInventoryText(InventoryForm::Full, version, kCleanup);
  EXPECT_EQ(text.size(), 4095u);
  EXPECT_EQ(text.substr(text.size() - 10), std::u16string(10, u'9'));
}

TEST_F(InventoryWriterTest, WideWriterReportsAFileThatCannotBeCreated) {
  EXPECT_FALSE(WriteWideInventory(u"missing\\folder\\out.xml", InventoryForm::Full, u"1", kCleanup));
  EXPECT_FALSE(testsupport::FileExists(Path("missing")));
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

TEST_F(InventoryWriterTest, NarrowWriterKeepsValueBytesAndLineBreaksAsTextModeMakesThem) {
  testsupport::WriteFile(Path("inv.xml"), std::string(5000, 'x'));
  ASSERT_TRUE(WriteNarrowInventory("inv.xml", "1\n2", "Caf\xE9 & \"Co\""));
  const std::string bytes = Read("inv.xml");
  EXPECT_NE(bytes.find("version=\"1\r\n2\""), std::string::npos);
  EXPECT_NE(bytes.find("display=\"Caf\xE9 & \"Co\"\""), std::string::npos);
  EXPECT_EQ(bytes.find("xxx"), std::string::npos);
}

TEST_F(InventoryWriterTest, NarrowWriterReportsAFileThatCannotBeOpened) {
  EXPECT_FALSE(WriteNarrowInventory("no\\such\\folder\\inv.xml", "0", "x"));
}

}  // namespace
