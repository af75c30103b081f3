#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.h"

// The NVMe admin commands of drivetag as small typed helpers over one
// admin-command record, the way NVMe libraries offer them: Identify
// Controller, and Get and Set Features for the host metadata (feature DAh).
namespace drivetag {

inline constexpr std::size_t kIdentifyBytes = 4096;
inline constexpr std::size_t kFeatureDataBytes = 128;
inline constexpr std::uint8_t kHostMetadataFeature = 0xDA;
// Where the element value starts in the feature data, and its area: at
// most kMaxValueBytes of text and the zero.
inline constexpr std::size_t kElementValueAt = 6;
inline constexpr std::uint16_t kElementLength = 122;
inline constexpr std::size_t kMaxValueBytes = kElementLength - 1;

inline constexpr std::size_t kLflagByte = 3108;
inline constexpr std::uint8_t kLflagMask = 0x02;
inline constexpr std::size_t kHflagByte = 3109;
inline constexpr std::uint8_t kHflagMask = 0x80;

// The ReturnCode of a Set Features that the drive carried out.
inline constexpr std::uint32_t kWrittenReturnCode = 1;

// 0 on success, with the Identify Controller data in buffer; non-zero when
// the exchange failed, leaving buffer as it was.
int IdentifyController(platform::Handle drive, std::uint8_t* buffer);
bool SupportsHostMetadata(std::uint8_t byte3108, std::uint8_t byte3109);

// The element's value up to its first zero byte, at the latest where the
// value area ends. False when the exchange failed.
bool GetHostMetadata(platform::Handle drive, int type, std::string* value);
// Sends the value (cut to kMaxValueBytes) as the element's new value. False
// when the exchange failed; otherwise *returnCode is the drive's answer,
// kWrittenReturnCode when it wrote the value.
bool SetHostMetadata(platform::Handle drive, int type, std::string_view value,
                     std::uint32_t* returnCode);

}  // namespace drivetag
