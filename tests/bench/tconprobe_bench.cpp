// What tconprobe's default check costs on the panel: the AUX transactions
// and 1 ms waits of a run on the built-in machine, counted from the trace
// and held against what the protocol needs with the built-in profile (two
// data bytes a transaction, reads sending their offset with MOT, the MCU
// done on its first poll). Also prints the simulated time of the check and
// the wall time of a run. Ends with 1 when the count drifts.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/core/machine.h"
#include "sim/core/process_state.h"
#include "tconprobe/app/auxapi.h"
#include "tconprobe/app/crt_rand.h"
#include "tconprobe/app/debug_log.h"
#include "tconprobe/app/main_form.h"
#include "tconprobe/dpaux/aux_control.h"
#include "tconprobe/dpaux/aux_records.h"
#include "tests/support/process.h"

namespace {

struct Step {
  const char* what;
  int native, i2c, waits;
};

// Each I2C read: its offset phase, one transaction per two data bytes, and
// the 1 ms wait between them; each write: its offset, then the data two
// bytes a transaction.
const Step kProtocol[] = {
    {"start the TCON: DPCD 0x00102 := C0", 1, 0, 0},
    {"TCON address, register 0x0201 (1 byte)", 0, 2, 1},
    {"connect, 0xFF0A := 01", 0, 2, 0},
    {"status register address, 0xFF07 (2 bytes)", 0, 2, 0},
    {"result register address, 0xFF08 (2 bytes)", 0, 2, 0},
    {"status after set-up, 0x0088 (1 byte)", 0, 2, 1},
    {"challenge, 0xFF0F (3 bytes)", 0, 3, 0},
    {"echo, 0x0089..0x008B one byte each", 0, 6, 3},
    {"clear the result, 0x0089 := 00 00 00", 0, 3, 0},
    {"checksum action, 0xFF06 (6 bytes)", 0, 4, 0},
    {"status poll, done at once", 0, 2, 1},
    {"result, 0x0089..0x008B one byte each", 0, 6, 3},
};

struct Counts {
  int native = 0, i2c = 0, waits = 0;
  std::uint64_t simulatedMicroseconds = 0;
};

Counts RunOnce(const testsupport::TempDir& dir, bool traced, double* wallMs) {
  std::string error;
  sim::UseBuiltInMachine();
  sim::CurrentRun().captureStdout = true;
  sim::CurrentMachine().tracePath = traced ? dir / "trace.txt" : "";
  std::remove((dir / "trace.txt").c_str());
  tconprobe::gConfig = tconprobe::TConfig{};
  tconprobe::gAuxApi.opened = 0;
  dpaux::ForgetIntelDisplayIds();
  tconprobe::CrtSrand(1);
  sim::SetCommandLine({"tconprobe.exe", "-o", dir / "out.xml"});
  const auto begin = std::chrono::steady_clock::now();
  tconprobe::TMainForm form;
  form.FormCreate();
  const auto end = std::chrono::steady_clock::now();
  tconprobe::CloseDebugLog();
  *wallMs = std::chrono::duration<double, std::milli>(end - begin).count();
  Counts counts;
  counts.simulatedMicroseconds = sim::CurrentMachine().clock.microseconds;
  if (!traced) return counts;
  const std::string trace = testsupport::ReadFile(dir / "trace.txt");
  std::size_t start = 0;
  while (start < trace.size()) {
    const std::size_t lineEnd = trace.find('\n', start);
    const std::string line = trace.substr(start, lineEnd - start);
    start = lineEnd == std::string::npos ? trace.size() : lineEnd + 1;
    if (line.rfind("aux.native", 0) == 0) ++counts.native;
    if (line.rfind("aux.i2c", 0) == 0) ++counts.i2c;
    if (line == "kernel32.Sleep 1") ++counts.waits;
  }
  return counts;
}

}  // namespace

int main() {
  testsupport::TempDir dir;
  int native = 0, i2c = 0, waits = 0;
  std::printf("%-46s  native  I2C  1 ms waits\n", "step of the default check");
  for (const Step& step : kProtocol) {
    std::printf("%-46s  %6d  %3d  %10d\n", step.what, step.native, step.i2c, step.waits);
    native += step.native;
    i2c += step.i2c;
    waits += step.waits;
  }
  std::printf("%-46s  %6d  %3d  %10d  (%d transactions)\n", "the protocol needs", native, i2c, waits, native + i2c);
  double wall = 0;
  const Counts counts = RunOnce(dir, true, &wall);
  std::printf("%-46s  %6d  %3d  %10d  (%d transactions)\n", "the traced run made", counts.native, counts.i2c,
              counts.waits, counts.native + counts.i2c);
  std::vector<double> times;
  for (int round = 0; round < 21; ++round) {
    RunOnce(dir, false, &wall);
    times.push_back(wall);
  }
  std::sort(times.begin(), times.end());
  std::printf("simulated time of the run: %.1f ms; wall time, median of 21 runs: %.3f ms\n",
              static_cast<double>(counts.simulatedMicroseconds) / 1000.0, times[times.size() / 2]);
  // The figure held: 35 transactions (1 native, 34 I2C-over-AUX) and nine waits.
  const bool held = native == 1 && i2c == 34 && waits == 9 && counts.native == native && counts.i2c == i2c &&
                    counts.waits == waits;
  if (!held) std::printf("the default check no longer makes 35 transactions and nine waits\n");
  return held ? 0 : 1;
}
