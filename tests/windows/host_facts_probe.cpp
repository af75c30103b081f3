// Prints the host facts that drivetag gathers through the real WMI, one line
// per element type ("10=Build ..."), UTF-8, for the Wine tests to compare
// with what wmic reports for the same classes.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "drivetag/facts_table.h"
#include "drivetag/host_facts.h"
#include "platform/process.h"

int ProgramMain() {
  std::unique_ptr<char16_t[]> facts(new char16_t[drivetag::kFactsTableChars]());
  const int collected = drivetag::CollectHostFacts(facts.get());
  std::string out = "collected=" + std::to_string(collected) + "\n";
  for (const drivetag::ElementField& field : drivetag::kElementFields) {
    const std::u16string_view fact = drivetag::FactOf(facts.get(), field.type);
    const auto* wide = reinterpret_cast<const wchar_t*>(fact.data());
    const int length = static_cast<int>(fact.size());
    const int bytes = length == 0 ? 0 : ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    if (bytes > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), bytes, nullptr, nullptr);
    out += std::to_string(field.type) + "=" + utf8 + "\n";
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return collected == 1 ? 0 : 1;
}
