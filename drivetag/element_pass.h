#pragma once
#include "drivetag/stamper.h"
#include "platform/files.h"

// The element pass over one drive: each host metadata element is read,
// compared with the fact it should hold and written only when it differs;
// every exchange goes to the console and the log.
namespace drivetag {

// True when every element held its wanted value or was written.
bool StampElements(HostMetadataStamper& stamper, platform::Handle drive, const char16_t* facts);

}  // namespace drivetag
