// How drivetag's run grows with the drives: machines of 16, 32 and 64
// supported NVMe drives behind one RST controller, half of them already
// stamped. Prints the wall time of each run (without a trace) and, from a
// traced run, the exchanges per drive by command and the port opens.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "drivetag/stamper.h"
#include "sim/core/machine.h"
#include "tests/native/drivetag_machine.h"
#include "tests/support/process.h"

namespace {

using namespace drivetag_test;

std::string Machine(int drives) {
  std::vector<DiskSpec> disks(static_cast<std::size_t>(drives));
  for (int i = 0; i < drives; i += 2) disks[static_cast<std::size_t>(i)].hostMetadata = HostMetadata(kLaptopFacts);
  return MachineJson(disks);
}

struct Counts {
  std::map<std::string, int> byCommand;  // per drive, by opcode
  int portOpens = 0, addressQueries = 0, wmiQueries = 0;
};

Counts CountTrace(const std::string& trace) {
  Counts counts;
  std::size_t start = 0;
  while (start < trace.size()) {
    const std::size_t end = trace.find('\n', start);
    const std::string line = trace.substr(start, end - start);
    start = end == std::string::npos ? trace.size() : end + 1;
    if (line.rfind("file.open \\\\.\\Scsi", 0) == 0) ++counts.portOpens;
    if (line.rfind("ioctl 0x41018", 0) == 0) ++counts.addressQueries;
    if (line.rfind("wmi.ExecQuery", 0) == 0) ++counts.wmiQueries;
    const auto opcode = line.find(" opcode=");
    if (line.rfind("ioctl 0x4D008", 0) == 0 && opcode != std::string::npos) {
      const auto target = line.find(" target=");
      const std::string key = line.substr(opcode + 8, line.find(' ', opcode + 1) - opcode - 8) + " target " +
                              line.substr(target + 8, line.find(' ', target + 1) - target - 8);
      ++counts.byCommand[key];
    }
  }
  return counts;
}

double RunOnce(const testsupport::TempDir& dir, const std::string& json, bool traced) {
  std::string error;
  if (!sim::UseMachineText(json, dir.path(), &error)) {
    std::fprintf(stderr, "machine: %s\n", error.c_str());
    return -1;
  }
  sim::CurrentRun().captureStdout = true;
  sim::CurrentMachine().tracePath = traced ? dir / "trace.txt" : "";
  std::filesystem::create_directories(dir / kLogFolder);
  std::filesystem::remove(dir / kLogFile);
  std::filesystem::remove(dir / "trace.txt");
  const auto begin = std::chrono::steady_clock::now();
  drivetag::RunProgram();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(end - begin).count();
}

}  // namespace

int main() {
  testsupport::TempDir dir;
  std::printf("drives  wall ms  ms/drive  Identify  GetFeatures  SetFeatures  port opens  SCSI address  WMI queries\n");
  for (int drives : {16, 32, 64}) {
    const std::string json = Machine(drives);
    std::vector<double> times;
    for (int round = 0; round < 5; ++round) times.push_back(RunOnce(dir, json, false));
    std::sort(times.begin(), times.end());
    const double wall = times[times.size() / 2];  // the median of five runs
    RunOnce(dir, json, true);
    const Counts counts = CountTrace(testsupport::ReadFile(dir / "trace.txt"));
    int identify = 0, get = 0, set = 0;
    for (const auto& [key, count] : counts.byCommand) {
      if (key.rfind("0x6 ", 0) == 0) identify += count;
      if (key.rfind("0xA ", 0) == 0) get += count;
      if (key.rfind("0x9 ", 0) == 0) set += count;
    }
    std::printf("%6d  %7.2f  %8.3f  %8d  %11d  %11d  %10d  %12d  %11d\n", drives, wall, wall / drives,
                identify, get, set, counts.portOpens, counts.addressQueries, counts.wmiQueries);
    if (drives == 64) {
      std::printf("\nper drive in the 64-drive run (even targets were stamped before):\n");
      for (int target : {0, 1}) {
        const std::string t = std::to_string(target);
        const auto count = [&](const char* op) {
          auto it = counts.byCommand.find(std::string(op) + " target " + t);
          return it == counts.byCommand.end() ? 0 : it->second;
        };
        std::printf("  target %d (%s): Identify %d, Get Features %d, Set Features %d\n", target,
                    target == 0 ? "stamped" : "new", count("0x6"), count("0xA"), count("0x9"));
      }
    }
  }
  return 0;
}
