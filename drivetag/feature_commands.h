#pragma once
#include <cstdint>

#include "drivetag/stamper.h"
#include "platform/files.h"

// The NVMe admin commands of drivetag and the element pass that reads each
// host metadata element, compares it and writes it only when it differs.
namespace drivetag {

inline constexpr std::size_t kIdentifyBytes = 4096;
inline constexpr std::size_t kFeatureDataBytes = 128;
inline constexpr std::uint8_t kHostMetadataFeature = 0xDA;
// Where the element value starts in the feature data, and its area.
inline constexpr std::size_t kElementValueAt = 6;
inline constexpr std::uint16_t kElementLength = 122;

inline constexpr std::size_t kLflagByte = 3108;
inline constexpr std::uint8_t kLflagMask = 0x02;
inline constexpr std::size_t kHflagByte = 3109;
inline constexpr std::uint8_t kHflagMask = 0x80;

// 0 on success, with the Identify Controller data in buffer; non-zero when
// the exchange failed, leaving buffer as it was.
int IdentifyController(platform::Handle drive, std::uint8_t* buffer);
bool SupportsHostMetadata(std::uint8_t byte3108, std::uint8_t byte3109);

// The element's value in the stamper's readBackBuffer, or null when the
// exchange failed.
const char* GetHostMetadataElement(HostMetadataStamper& stamper, platform::Handle drive, int type,
                                   std::int32_t driveIndex);
// 0 when the command was delivered, non-zero when the exchange failed.
int SetHostMetadataElement(platform::Handle drive, int type, const char* value,
                           std::int32_t driveIndex);
// True when every element held its wanted value or was written.
bool StampElements(HostMetadataStamper& stamper, platform::Handle drive, const char16_t* facts);

}  // namespace drivetag
