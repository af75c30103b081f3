// Documents written from hostile registry and installer values, read back
// with a real XML parser (libxml2): every document parses, and each
// attribute carries the value the machine held, with only the characters
// that XML cannot carry replaced.
#include <nlohmann/json.hpp>

#include <random>
#include <string>

#include "inventory/cleanupscan/cleanupscan.h"
#include "inventory/coolingscan/coolingscan.h"
#include "inventory/recoveryscan/recoveryscan.h"
#include "sim/core/text_codec.h"
#include "tests/native/sim_test.h"
#include "tests/support/xml_document.h"

namespace {

constexpr int kValuesPerModule = 250;

class HostileDocumentTest : public SimTest {
 protected:
  std::mt19937 random_{20261211};

  // A value of markup, blanks, control characters, lone and paired
  // surrogates, non-characters and ordinary text, never a NUL.
  std::u16string HostileWide() {
    static constexpr char16_t kPool[] = {u'"', u'<', u'>', u'&', u'\'', u';', u'#', u'\t', u'\n', u'\r', 0x01, 0x1F,
                                        0x7F, 0x85, 0xE9, 0x20AC, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFE,
                                        0xFFFF, 0xFFFD, u'1', u'.', u'a', u' '};
    std::u16string value;
    const int length = std::uniform_int_distribution<int>(1, 60)(random_);
    for (int i = 0; i < length; ++i) {
      if (random_() % 8 == 0) {
        value += u"\U0001F600";  // a pair
      } else {
        value += kPool[random_() % (sizeof kPool / sizeof kPool[0])];
      }
    }
    return value;
  }

  // Windows-1252 bytes 1 to 255, as the installer's narrow calls hand them out.
  std::string HostileAnsi(std::size_t minimum) {
    std::string value;
    const std::size_t length = minimum + std::uniform_int_distribution<std::size_t>(0, 40)(random_);
    while (value.size() < length) value += static_cast<char>(std::uniform_int_distribution<int>(1, 255)(random_));
    return value;
  }

  static std::string RegistryText(const std::u16string& value) {
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : value + u'\0') {
      bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return R"({"type": "REG_SZ", "hex": ")" + sim::ToHex(bytes) + "\"}";
  }
};

struct WideModule {
  const char* key;  // as the machine file names it
  int (*run)(const std::vector<std::u16string>&);
  const char* display;
};

TEST_F(HostileDocumentTest, WideDocumentsCarryTheRegistryValue) {
  const WideModule modules[] = {
      {R"(HKLM\\SOFTWARE\\WOW6432Node\\ORVO\\ManageableUpdatePackage\\ZerbixRemovalTool)", inventory::cleanupscan::Run,
       "Orvo Zerbix Removal Utility"},
      {R"(HKLM\\SOFTWARE\\ORVO\\ManageableUpdatePackage\\ThermalPpkg)", inventory::coolingscan::Run,
       "Orvo AC Thermal PPkg Driver"}};
  for (const WideModule& module : modules) {
    for (int i = 0; i < kValuesPerModule; ++i) {
      const std::u16string value = HostileWide();
      LoadMachine(std::string(R"({"windows": 64, "registry": {")") + module.key + R"(": {"Version": )" +
                  RegistryText(value) + "}}}");
      ASSERT_EQ(module.run({}), 0);
      // The wide documents are UTF-16LE under a declaration that says UTF-8.
      const auto attributes = testsupport::ParseAttributes(Read("OutputFile.xml"), "UTF-16LE");
      ASSERT_FALSE(attributes.empty()) << module.display << " value " << i << ": not well-formed";
      const std::string expected = testsupport::AsXmlReadsIt(value, "\xEF\xBF\xBD");
      EXPECT_EQ(attributes.at("Application@version"), expected) << i;
      EXPECT_EQ(attributes.at("Application@packageVersion"), expected) << i;
      EXPECT_EQ(attributes.at("Device@display"), module.display);
      EXPECT_EQ(attributes.size(), 9u) << "a value added attributes";
    }
  }
}

TEST_F(HostileDocumentTest, RecoveryDocumentCarriesTheInstallerAndRegistryTexts) {
  for (int i = 0; i < kValuesPerModule; ++i) {
    const std::string name = HostileAnsi(29), installerVersion = HostileAnsi(10), registryVersion = HostileAnsi(10);
    // Every other run the installer's version is too short and the
    // registry's is reported.
    const bool fromRegistry = i % 2 == 1;
    nlohmann::json machine = {
        {"windows", 64},
        {"installer",
         {{"products",
           {{{"productCode", "{6F1D3A52-8C47-4E0B-9A21-3B5C7D9E0F14}"},
             {"upgradeCode", "{2253caa0-0ba2-461c-a50e-fc18228ebadd}"},
             {"properties",
              {{"InstalledProductName", sim::AnsiToUtf8(name)},
               {"VersionString", fromRegistry ? "1.0" : sim::AnsiToUtf8(installerVersion)}}}}}}}},
        {"registry",
         {{R"(HKLM\SOFTWARE\ORVO\ManageableUpdatePackage\sentiva_os_recovery)",
           {{"UninstalledVersionZeroInv", sim::AnsiToUtf8(registryVersion)}}}}}};
    LoadMachine(machine.dump());
    ASSERT_EQ(inventory::recoveryscan::Run({"-o", "inv.xml"}), 0);
    const auto attributes = testsupport::ParseAttributes(Read("inv.xml"), nullptr);
    ASSERT_FALSE(attributes.empty()) << "value " << i << ": not well-formed";
    const std::string version =
        testsupport::AsXmlReadsIt(sim::Utf8ToUtf16(sim::AnsiToUtf8(fromRegistry ? registryVersion : installerVersion)), "?");
    const std::string display = testsupport::AsXmlReadsIt(sim::Utf8ToUtf16(sim::AnsiToUtf8(name)), "?");
    EXPECT_EQ(attributes.at("Application@version"), version) << i;
    EXPECT_EQ(attributes.at("Application@packageVersion"), version) << i;
    EXPECT_EQ(attributes.at("Application@display"), display) << i;
    EXPECT_EQ(attributes.at("Device@display"), display) << i;
    EXPECT_EQ(attributes.size(), 9u) << "a value added attributes";
  }
}

}  // namespace
