// main() of a program built for the simulated machine.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/process.h"
#include "sim/core/machine.h"
#include "sim/core/process_state.h"

namespace {
// A broken machine file; no program of the suite uses this exit code.
constexpr int kMachineFileError = 125;
}  // namespace

int main(int argc, char** argv) {
  std::string error;
  if (!sim::StartFromEnvironment(&error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return kMachineFileError;
  }
  sim::SetCommandLine(std::vector<std::string>(argv, argv + argc));
  const int code = ProgramMain();
  std::fflush(stdout);
  if (!sim::FinishRun(&error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return kMachineFileError;
  }
  return code;
}
