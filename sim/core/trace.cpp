#include "sim/core/trace.h"

#include <cstdio>

#include "sim/core/machine.h"

namespace sim {

void Trace(const std::string& line) {
  const std::string& path = CurrentMachine().tracePath;
  if (path.empty()) return;
  if (std::FILE* file = std::fopen(path.c_str(), "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

}  // namespace sim
