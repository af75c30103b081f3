#include "inventory/recoveryscan/recoveryscan.h"
#include "platform/process.h"

int ProgramMain() {
  const auto& line = platform::CommandLineA();
  const std::vector<std::string> arguments(line.size() > 1 ? line.begin() + 1 : line.end(),
                                           line.end());
  return inventory::recoveryscan::Run(arguments);
}
