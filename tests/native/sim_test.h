#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "sim/core/machine.h"
#include "tests/support/process.h"

// In-process tests against a simulated machine built by the test: each test
// runs in a fresh temporary folder that is also the current directory, with
// a trace file there and standard output captured.
class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[4096];
    previousDir_ = getcwd(cwd, sizeof cwd) != nullptr ? cwd : "/";
    ASSERT_EQ(chdir(dir_.path().c_str()), 0);
    // Every test starts on a fresh machine: no handles, keys, COM objects
    // or libraries are left over from the test before.
    LoadMachine("{}");
  }
  void TearDown() override { ASSERT_EQ(chdir(previousDir_.c_str()), 0); }

  void LoadMachine(const std::string& json) {
    std::string error;
    ASSERT_TRUE(sim::UseMachineText(json, dir_.path(), &error)) << error;
    sim::CurrentMachine().tracePath = dir_ / "trace.txt";
    sim::CurrentRun().captureStdout = true;
  }

  std::string Path(const std::string& name) const { return dir_ / name; }
  std::string Read(const std::string& name) const { return testsupport::ReadFile(Path(name)); }
  std::string Stdout() const { return sim::CurrentRun().stdoutBytes; }
  std::vector<std::string> TraceLines() const {
    std::vector<std::string> lines;
    std::string line;
    for (char c : Read("trace.txt")) {
      if (c == '\n') {
        lines.push_back(line);
        line.clear();
      } else {
        line += c;
      }
    }
    return lines;
  }
  // Trace lines that start with the given word, such as "reg.set".
  std::vector<std::string> TraceOf(const std::string& prefix) const {
    std::vector<std::string> matching;
    for (const auto& line : TraceLines()) {
      if (line.rfind(prefix, 0) == 0) matching.push_back(line);
    }
    return matching;
  }

 private:
  testsupport::TempDir dir_;
  std::string previousDir_;
};
