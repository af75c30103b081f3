// The inventory writers on any value: every document parses, and the parser
// hands back the value itself, only the characters XML cannot carry replaced.
#include <string>

#include "common/utf16le.h"
#include "inventory/common/wide_inventory.h"
#include "inventory/recoveryscan/narrow_inventory.h"
#include "tests/fuzz/built_in_machine.h"
#include "sim/core/text_codec.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/support/xml_document.h"

namespace {

const inventory::ModuleIdentity kIdentity{u"111084", u"Orvo Zerbix Removal Utility", u"APAC"};

std::string Utf16LeBytes(const std::u16string& text) {
  const std::vector<std::uint8_t> bytes = common::Utf16LeBytes(text);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  UseBuiltInMachineOnce();
  FuzzInput input(data, size);
  const std::size_t split = input.Byte();

  // The wide reader hands over at most 511 UTF-16 units.
  const std::u16string wide = input.Units(511);
  const auto wideDocument =
      testsupport::ParseAttributes(Utf16LeBytes(inventory::WideInventoryText(inventory::InventoryForm::Full, wide, kIdentity)), "UTF-16LE");
  FUZZ_CHECK(wideDocument.size() == 9);
  FUZZ_CHECK(wideDocument.at("Application@version") == testsupport::AsXmlReadsIt(wide, "\xEF\xBF\xBD"));
  FUZZ_CHECK(wideDocument.at("Application@packageVersion") == wideDocument.at("Application@version"));

  // The narrow writer takes C strings in the ANSI code page (Windows-1252).
  std::string rest = input.Rest();
  rest = rest.substr(0, rest.find('\0'));
  const std::string version = rest.substr(0, split), display = rest.substr(split < rest.size() ? split : rest.size());
  const auto narrowDocument = testsupport::ParseAttributes(
      inventory::recoveryscan::NarrowInventoryText(version.c_str(), display.c_str(), "2021-11-28T16:26:58"), nullptr);
  FUZZ_CHECK(narrowDocument.size() == 9);
  FUZZ_CHECK(narrowDocument.at("Application@version") ==
             testsupport::AsXmlReadsIt(sim::Utf8ToUtf16(sim::AnsiToUtf8(version)), "?"));
  FUZZ_CHECK(narrowDocument.at("Device@display") ==
             testsupport::AsXmlReadsIt(sim::Utf8ToUtf16(sim::AnsiToUtf8(display)), "?"));
  FUZZ_CHECK(narrowDocument.at("Application@display") == narrowDocument.at("Device@display"));
  return 0;
}
