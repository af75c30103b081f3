// What tconprobe costs on the panel: the AUX transactions and 1 ms waits of
// the default check and of a detection run ("-T") on the built-in machine,
// counted from the trace and held against what the protocol needs with the
// built-in profile (two data bytes a transaction, reads sending their offset
// with MOT, the MCU done on its first poll). Also prints the simulated time
// and the wall time of a run. Ends with 1 when a count drifts.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/core/default_machine.h"
#include "sim/core/machine.h"
#include "sim/core/process_state.h"
#include "tconprobe/app/auxapi.h"
#include "tconprobe/app/crt_rand.h"
#include "tconprobe/app/debug_log.h"
#include "tconprobe/app/main_form.h"
#include "tconprobe/dpaux/aux_control.h"
#include "tconprobe/dpaux/aux_records.h"
#include "tconprobe/dpaux/nvidia_backend.h"
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

// Detection on the built-in machine: the Intel DisplayPort trial finds no
// DisplayPort device and reaches no bus; the eDP trial finds the KS52310
// panel's flash with its program at 0x5000, the last of the candidates.
const Step kIntelDetection[] = {
    {"gpu 1, dp 3: no DisplayPort device", 0, 0, 0},
    {"gpu 1, dp 2: DPCD 0x00102 := 00, C0", 2, 0, 0},
    {"probe block, 0x0500 (128 bytes) twice", 0, 130, 2},
    {"DPCD 0x00102 := 00, then C0 for the model", 2, 0, 0},
    {"TCON address, 0x0201 (1 byte) twice", 0, 4, 2},
    {"flash read mode, 0xFF03 := 00 80", 0, 2, 0},
    {"candidates 0xD000, 0xE000, 0x5000: 128 bytes twice", 0, 390, 6},
    {"version read mode, 0xFF03 := 00 70", 0, 2, 0},
    {"version area, 0x5F00 and 0x5F80 (128 bytes) twice", 0, 260, 4},
};

// The same panel behind NVIDIA on eDP: both Intel trials fail to open, the
// NVIDIA DisplayPort trial finds no DisplayPort display; reads go in pieces
// of 12 bytes after their offset, without waits.
const char kNvidiaLaptop[] =
    R"({"intelGpu": null, "nvidiaGpu": {"gpus": [{"displays": [{"id": "0x1001", "connector": 71}]}]}})";
const Step kNvidiaDetection[] = {
    {"gpu 1, dp 3 and dp 2: no Intel graphics driver", 0, 0, 0},
    {"gpu 2, dp 3: no DisplayPort display", 0, 0, 0},
    {"gpu 2, dp 2: DPCD 0x00102 := 00, C0", 2, 0, 0},
    {"probe block, 0x0500 (128 bytes) twice", 0, 24, 0},
    {"DPCD 0x00102 := 00, then C0 for the model", 2, 0, 0},
    {"TCON address, 0x0201 (1 byte) twice", 0, 4, 0},
    {"flash read mode, 0xFF03 := 00 80", 0, 2, 0},
    {"candidates 0xD000, 0xE000, 0x5000: 128 bytes twice", 0, 72, 0},
    {"version read mode, 0xFF03 := 00 70", 0, 2, 0},
    {"version area, 0x5F00 and 0x5F80 (128 bytes) twice", 0, 48, 0},
};

// The same panel behind AMD on eDP, the second display of its adapter: the
// Intel and NVIDIA trials fail to open, the AMD DisplayPort trial finds no
// DisplayPort display and its DPCD write goes to the first, an HDMI monitor; a read is one combined DDC message (its offset with MOT, then the
// data 16 bytes a transaction), a write one plain message.
const char kAmdLaptop[] = R"({"intelGpu": null, "amdGpu": {"adapters": [{"displays": [
    {"connector": 10, "flags": "0x03"}, {"connector": 16, "flags": "0x03", "panel": true}]}]}})";
const Step kAmdDetection[] = {
    {"gpu 1 and 2, both links: no Intel or NVIDIA driver", 0, 0, 0},
    {"gpu 3, dp 3: no DisplayPort display", 0, 0, 0},
    {"gpu 3, dp 2: DPCD 0x00102 := 00, C0", 2, 0, 0},
    {"probe block, 0x0500 (128 bytes) twice", 0, 18, 0},
    {"DPCD 0x00102 := 00, then C0 for the model", 2, 0, 0},
    {"TCON address, 0x0201 (1 byte) twice", 0, 4, 0},
    {"flash read mode, 0xFF03 := 00 80", 0, 1, 0},
    {"candidates 0xD000, 0xE000, 0x5000: 128 bytes twice", 0, 54, 0},
    {"version read mode, 0xFF03 := 00 70", 0, 1, 0},
    {"version area, 0x5F00 and 0x5F80 (128 bytes) twice", 0, 36, 0},
};

struct Counts {
  int native = 0, i2c = 0, waits = 0;
  std::uint64_t simulatedMicroseconds = 0;
};

// The built-in machine, or it with a JSON merge patch applied.
Counts RunOnce(const testsupport::TempDir& dir, const char* patch, const std::vector<std::string>& arguments,
               bool traced, double* wallMs) {
  std::string error;
  if (patch == nullptr) {
    sim::UseBuiltInMachine();
  } else {
    nlohmann::json machine = nlohmann::json::parse(sim::kDefaultMachineJson);
    machine.merge_patch(nlohmann::json::parse(patch));
    if (!sim::UseMachineText(machine.dump(), dir.path(), &error)) std::printf("%s\n", error.c_str());
  }
  sim::CurrentRun().captureStdout = true;
  sim::CurrentMachine().tracePath = traced ? dir / "trace.txt" : "";
  std::remove((dir / "trace.txt").c_str());
  tconprobe::gConfig = tconprobe::TConfig{};
  tconprobe::gAuxApi.opened = 0;
  dpaux::ForgetIntelDisplayIds();
  dpaux::ForgetNvidiaLibrary();
  tconprobe::CrtSrand(1);
  std::vector<std::string> line{"tconprobe.exe"};
  line.insert(line.end(), arguments.begin(), arguments.end());
  sim::SetCommandLine(line);
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

// Prints the steps and what a traced run made; true when they agree.
template <std::size_t N>
bool Measure(const char* what, const Step (&steps)[N], const char* patch, const std::vector<std::string>& arguments,
             const testsupport::TempDir& dir) {
  int native = 0, i2c = 0, waits = 0;
  std::printf("%-52s  native  I2C  1 ms waits\n", what);
  for (const Step& step : steps) {
    std::printf("%-52s  %6d  %3d  %10d\n", step.what, step.native, step.i2c, step.waits);
    native += step.native;
    i2c += step.i2c;
    waits += step.waits;
  }
  std::printf("%-52s  %6d  %3d  %10d  (%d transactions)\n", "the protocol needs", native, i2c, waits, native + i2c);
  double wall = 0;
  const Counts counts = RunOnce(dir, patch, arguments, true, &wall);
  std::printf("%-52s  %6d  %3d  %10d  (%d transactions)\n", "the traced run made", counts.native, counts.i2c,
              counts.waits, counts.native + counts.i2c);
  std::vector<double> times;
  for (int round = 0; round < 21; ++round) {
    RunOnce(dir, patch, arguments, false, &wall);
    times.push_back(wall);
  }
  std::sort(times.begin(), times.end());
  std::printf("simulated time of the run: %.1f ms; wall time, median of 21 runs: %.3f ms\n\n",
              static_cast<double>(counts.simulatedMicroseconds) / 1000.0, times[times.size() / 2]);
  const bool held = counts.native == native && counts.i2c == i2c && counts.waits == waits;
  if (!held) std::printf("the run no longer makes what its protocol needs\n\n");
  return held;
}

}  // namespace

int main() {
  testsupport::TempDir dir;
  // Detection appends to detect_log.txt in the current directory.
  if (chdir(dir.path().c_str()) != 0) return 1;
  // The figures held: the check makes 35 transactions (1 native, 34 I2C-over-AUX)
  // and nine waits; detection 792 on Intel (4 native, 788 I2C) with 14 waits,
  // 156 on NVIDIA (4 native, 152 I2C) and 118 on AMD (4 native, 114 I2C) without.
  bool held = Measure("step of the default check", kProtocol, nullptr, {"-o", dir / "out.xml"}, dir);
  held = Measure("step of detection (-T) on Intel", kIntelDetection, nullptr, {"-T"}, dir) && held;
  held = Measure("step of detection (-T) on NVIDIA", kNvidiaDetection, kNvidiaLaptop, {"-T"}, dir) && held;
  held = Measure("step of detection (-T) on AMD", kAmdDetection, kAmdLaptop, {"-T"}, dir) && held;
  return held ? 0 : 1;
}
