// drivetag's facts table, scratch fields and narrowing on any text: a fact
// is stored as the longest start that fits its field and the drive's value
// area, whole surrogate pairs only, and nothing else of the table changes.
#include <memory>
#include <string>

#include "drivetag/facts_table.h"
#include "drivetag/host_facts.h"
#include "drivetag/text_convert.h"
#include "tests/fuzz/built_in_machine.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

// Within the field with its terminator, and its narrow form within the
// drive's value area.
bool WithinLimits(std::u16string_view start, std::size_t fieldChars) {
  return start.size() + 1 <= fieldChars && drivetag::ToThreadAnsi(start).size() <= drivetag::kMaxValueBytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  UseBuiltInMachineOnce();
  FuzzInput input(data, size);
  const drivetag::ElementField& field = drivetag::kElementFields[input.Byte() % 10];
  const std::u16string fact = input.Units(400);

  // Exactly the table's size on the heap, so a write past it is a finding.
  std::unique_ptr<char16_t[]> table(new char16_t[drivetag::kFactsTableChars]);
  for (std::size_t i = 0; i < drivetag::kFactsTableChars; ++i) table[i] = u'\x5A5A';
  drivetag::StoreFact(table.get(), field.type, fact);
  const std::u16string_view stored = drivetag::FactOf(table.get(), field.type);
  const std::u16string_view text = std::u16string_view(fact).substr(0, fact.find(u'\0'));
  FUZZ_CHECK(text.substr(0, stored.size()) == stored);
  FUZZ_CHECK(WithinLimits(stored, field.size));
  // No surrogate pair cut in two.
  FUZZ_CHECK(stored.empty() || stored.size() == text.size() || !IsHigh(stored.back()) ||
             !IsLow(text[stored.size()]));
  // The longest such start: a longer one within the limits ends in a high
  // surrogate, which is left out with the rest.
  for (std::size_t longer = stored.size() + 1; longer <= text.size(); ++longer) {
    if (!WithinLimits(text.substr(0, longer), field.size)) break;
    FUZZ_CHECK(IsHigh(text[longer - 1]));
  }
  for (std::size_t i = 0; i < drivetag::kFactsTableChars; ++i) {
    const bool inField = i >= field.start && i < field.start + field.size;
    if (!inField) FUZZ_CHECK(table[i] == u'\x5A5A');
    if (inField && i - field.start >= stored.size()) FUZZ_CHECK(table[i] == 0);
  }

  // A scratch field holds the value up to its NUL, cut to 199 units.
  std::unique_ptr<char16_t[]> scratch(new char16_t[drivetag::kDriverScratchChars]());
  const std::size_t scratchField = input.Byte() % 4;
  drivetag::StoreScratch(scratch.get(), scratchField, fact);
  FUZZ_CHECK(drivetag::ScratchField(scratch.get(), scratchField) ==
             text.substr(0, drivetag::kScratchFieldChars - 1));

  // Narrowing to low bytes ends where a low byte is zero.
  const std::string low = drivetag::LowBytes(fact);
  FUZZ_CHECK(low.size() <= fact.size());
  for (std::size_t i = 0; i < low.size(); ++i) FUZZ_CHECK(low[i] == static_cast<char>(fact[i] & 0xFF));
  FUZZ_CHECK(low.size() == fact.size() || (fact[low.size()] & 0xFF) == 0);
  return 0;
}
