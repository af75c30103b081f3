// Message boxes of the seam: recorded for the test and answered at once, as
// if the user pressed OK.
#include "platform/ui.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"

namespace platform {

int MessageBoxW(WindowHandle owner, const char16_t* text, const char16_t* caption,
                std::uint32_t type) {
  sim::MessageBoxRecord box{text != nullptr ? text : u"", caption != nullptr ? caption : u"", type};
  sim::Trace("user32.MessageBoxW \"" + sim::Utf16ToUtf8(box.text) + "\" caption=\"" +
             sim::Utf16ToUtf8(box.caption) + "\" owner=" +
             sim::HexNumber(static_cast<std::uint32_t>(owner)) + " type=" + sim::HexNumber(type) +
             " -> " + std::to_string(kIdOk));
  sim::CurrentRun().messageBoxes.push_back(std::move(box));
  return kIdOk;
}

}  // namespace platform
