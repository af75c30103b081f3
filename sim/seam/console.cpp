// Standard output of the seam: text mode, wide text in the ANSI code page.
#include <cstdio>

#include "platform/console.h"
#include "sim/core/machine.h"
#include "sim/core/trace.h"
#include "sim/core/text_codec.h"
#include "sim/core/text_stream.h"

namespace platform {

void WriteStdout(const char* text, std::size_t length) {
  if (sim::CurrentRun().stdoutClosed) return;
  const std::string bytes = sim::ToTextMode(text, length);
  sim::RunRecord& run = sim::CurrentRun();
  if (run.captureStdout) {
    run.stdoutBytes += bytes;
  } else {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  }
}

void WriteStdoutWide(const char16_t* text, std::size_t length) {
  std::string narrow;
  for (std::size_t i = 0; i < length; ++i) {
    unsigned char b = '?';
    sim::WideToAnsiByte(text[i], &b);
    narrow += static_cast<char>(b);
  }
  WriteStdout(narrow.data(), narrow.size());
}

void FlushStdout() {
  if (!sim::CurrentRun().captureStdout) std::fflush(stdout);
}

bool AttachParentConsole() {
  sim::RunRecord& run = sim::CurrentRun();
  run.consoleAttached = sim::CurrentMachine().parentConsole;
  sim::Trace(std::string("kernel32.AttachConsole -> ") + (run.consoleAttached ? "TRUE" : "FALSE"));
  return run.consoleAttached;
}

// Without an attached console there is no CONOUT$ to open.
bool ReopenStdoutOnConsole() {
  sim::RunRecord& run = sim::CurrentRun();
  run.stdoutClosed = !run.consoleAttached;
  sim::Trace(std::string("crt.freopen CONOUT$ -> ") + (run.stdoutClosed ? "failed" : "0"));
  return !run.stdoutClosed;
}

}  // namespace platform
