#pragma once
// The AUX layer on a simulated laptop: an Intel GPU whose CUI object lists
// the panel's devices, and the panel with its TCON and MCU. Each test starts
// as a fresh process would: channel closed, no display identifiers cached,
// no GPU library bound.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tconprobe/dpaux/aux_control.h"
#include "tconprobe/dpaux/aux_records.h"
#include "tconprobe/dpaux/nvidia_backend.h"
#include "tests/native/sim_test.h"

namespace aux_test {

// Display1 has a VGA device, an inactive eDP device and the active eDP
// panel; Display2 a DisplayPort device on a dock (type 7). Tests of other
// GPUs take the Intel GPU out.
inline const char kAuxMachine[] = R"({
  "clock": {"tickCount": 1000, "auxTransactionMicroseconds": 100},
  "power": {"acLine": "online"},
  "intelGpu": {
    "displays": [
      {"name": "\\\\.\\Display1", "devices": [
        {"id": "0x00000100", "type": 1, "status": 0},
        {"id": "0x00000200", "type": 2, "status": 1},
        {"id": "0x00000300", "type": 2, "status": 0}]},
      {"name": "\\\\.\\Display2", "devices": [{"id": "0x00000700", "type": 7, "status": 0}]}
    ],
    "powerFeatures": "0x28"
  },
  "panel": {
    "tcon": {"registers": {"0x0500": "01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13 14"}},
    "rom": {"size": 65536, "bytes": {"0x8287": "08"}}
  }
})";

class AuxLayerTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    dpaux::ForgetIntelDisplayIds();
    dpaux::ForgetNvidiaLibrary();
    UseMachine("{}");
  }
  void TearDown() override {
    dpaux::KSXAUX_CLOSE_PARAM close{4};
    KSXAUX_CloseDll(&close);
    dpaux::ForgetNvidiaLibrary();  // nothing left for the end of the test program to close
    SimTest::TearDown();
  }

  // The test machine with a JSON merge patch applied.
  void UseMachine(const std::string& patch) {
    auto machine = nlohmann::ordered_json::parse(kAuxMachine);
    machine.merge_patch(nlohmann::ordered_json::parse(patch));
    LoadMachine(machine.dump());
  }

  std::int32_t Open(std::int32_t gpuType = dpaux::kGpuIntel,
                    std::int32_t displayType = dpaux::kDisplayEdp) {
    dpaux::KSXAUX_OPEN_PARAM open{16, gpuType, displayType, 0};
    return KSXAUX_OpenDll(&open);
  }

  static dpaux::KSXAUX_I2C_PARAM I2c(std::uint32_t mode, std::uint32_t isWrite,
                                     std::uint32_t address, std::uint32_t offset,
                                     std::uint8_t* data, std::uint32_t length,
                                     std::uint32_t requestBytes = 16, std::uint32_t flags = 0) {
    return dpaux::KSXAUX_I2C_PARAM{
        44, dpaux::kDisplayEdp, mode, isWrite, address, offset, data, length,
        0,  requestBytes,       flags};
  }
  static dpaux::KSXAUX_NATIVE_PARAM Native(std::uint32_t isWrite, std::uint32_t address,
                                           std::uint8_t* data, std::uint32_t length) {
    return dpaux::KSXAUX_NATIVE_PARAM{32, dpaux::kDisplayEdp, isWrite, address, data, length, 16,
                                      0};
  }

  // From this point on, what the trace holds.
  void ForgetTrace() { std::remove(Path("trace.txt").c_str()); }

  // The bus transactions and the waits, without the bytes read.
  std::vector<std::string> Shape() const {
    std::vector<std::string> shape;
    for (std::string line : TraceLines()) {
      if (line.rfind("aux.", 0) != 0 && line.rfind("kernel32.Sleep", 0) != 0) continue;
      const auto answer = line.find(" -> ack bytes=");
      if (answer != std::string::npos) line.resize(answer + 7);
      shape.push_back(line);
    }
    return shape;
  }
};

}  // namespace aux_test
