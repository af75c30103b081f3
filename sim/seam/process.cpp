// Process facts of the seam: kernel32 with the WOW64 question, and the
// command line.
#include "platform/modules.h"
#include "platform/process.h"
#include "sim/core/machine.h"
#include "sim/core/process_state.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"
#include "sim/seam/services.h"
#include "sim/seam/start.h"

namespace sim {
namespace {

struct CommandLine {
  std::vector<std::u16string> wide{u"program.exe"};
  std::vector<std::string> narrow{"program.exe"};
};

CommandLine& Line() {
  static CommandLine line;
  return line;
}

// The machine's IsWow64Process: TRUE exactly on a 64-bit Windows.
bool SimIsWow64Process(bool* isWow64) {
  const Machine& machine = CurrentMachine();
  if (machine.wow64Api == Wow64Api::Fails) {
    Trace("kernel32.IsWow64Process -> failed");
    return false;
  }
  *isWow64 = machine.windows64;
  Trace(std::string("kernel32.IsWow64Process -> ") + (machine.windows64 ? "TRUE" : "FALSE"));
  return true;
}

}  // namespace

void RegisterKernel32(const Machine& machine) {
  std::vector<ModuleFunction> functions;
  if (machine.wow64Api != Wow64Api::Missing) {
    functions.push_back(ExportFunction("IsWow64Process", &SimIsWow64Process));
  }
  RegisterModule("kernel32", std::move(functions), true);
}

void ResetCommandLine() { Line() = CommandLine{}; }

void SetCommandLine(const std::vector<std::string>& utf8Arguments) {
  CommandLine& line = Line();
  line.wide.clear();
  line.narrow.clear();
  for (const std::string& argument : utf8Arguments) {
    line.wide.push_back(Utf8ToUtf16(argument));
    line.narrow.push_back(Utf8ToAnsi(argument));
  }
}

}  // namespace sim

namespace platform {

IsWow64ProcessFn FindIsWow64Process() {
  return FindFunction<IsWow64ProcessFn>(GetModuleHandleA("kernel32"), "IsWow64Process");
}

const std::vector<std::u16string>& CommandLineW() { return sim::Line().wide; }
const std::vector<std::string>& CommandLineA() { return sim::Line().narrow; }
const std::vector<std::u16string>& CrtCommandLineW() { return sim::Line().wide; }

}  // namespace platform
