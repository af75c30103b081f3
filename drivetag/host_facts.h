#pragma once
#include <string>

// The host facts that drivetag writes into the drives, gathered through WMI.
namespace drivetag {

// Scratch areas of 200-character fields for the driver and display facts.
inline constexpr std::size_t kScratchFieldChars = 200;
inline constexpr std::size_t kDriverScratchChars = 4 * kScratchFieldChars;   // 1600 bytes
inline constexpr std::size_t kDisplayScratchChars = 2 * kScratchFieldChars;  // 800 bytes

namespace driver_field {
inline constexpr std::size_t kName = 0;        // display name, then the controller's device name
inline constexpr std::size_t kPath = 1;        // driver file path
inline constexpr std::size_t kService = 2;     // service name
inline constexpr std::size_t kVersion = 3;     // controller driver version
}  // namespace driver_field
namespace display_field {
inline constexpr std::size_t kName = 0;
inline constexpr std::size_t kVersion = 1;
}  // namespace display_field

// Fills the zeroed facts table; 1 when it was filled, 0 when a scratch area
// could not be had.
int CollectHostFacts(char16_t* facts);

// Copies a WMI value into a scratch field, cut to fit with its terminator.
void StoreScratch(char16_t* scratch, std::size_t field, std::u16string_view value);
std::u16string_view ScratchField(const char16_t* scratch, std::size_t field);

}  // namespace drivetag
