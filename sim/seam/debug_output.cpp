// Debugger output of the seam: kept for the test, never printed.
#include "platform/debug_output.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"

namespace platform {

void OutputDebugStringA(const char* text) {
  const std::string bytes = text != nullptr ? text : "";
  std::string shown;  // one trace line per call, whatever the text holds
  for (char c : sim::AnsiToUtf8(bytes)) {
    if (c == '\n') shown += "\\n";
    else if (c == '\r') shown += "\\r";
    else shown += c;
  }
  sim::Trace("kernel32.OutputDebugStringA \"" + shown + "\"");
  sim::CurrentRun().debugOutput.push_back(bytes);
}

}  // namespace platform
