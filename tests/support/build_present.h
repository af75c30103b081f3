#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// Whether the tests of a binary can run is decided when they run: a build
// of another preset that is not there skips every test with one clear line,
// "skipped: no <preset> build", which CTest reports as skipped.
namespace testsupport {

class BuildPresent : public ::testing::Environment {
 public:
  BuildPresent(std::string preset, std::string file) : preset_(std::move(preset)), file_(std::move(file)) {}
  void SetUp() override {
    if (!std::filesystem::exists(file_)) GTEST_SKIP() << "skipped: no " << preset_ << " build";
  }

 private:
  std::string preset_;
  std::string file_;  // a file the build makes
};

}  // namespace testsupport
