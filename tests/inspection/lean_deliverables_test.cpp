// The deliverables stay small because nothing pulls in what they do not use:
// each stripped i686 file keeps under its limit, and none carries the C++
// runtime chains that used to make up nine tenths of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/inspection/pe_headers.h"
#include "tests/support/process.h"

namespace {

struct SizeLimit {
  const char* name;
  const char* path;  // below the win32 build folder
  long maxBytes;
  bool mayBeMissing;  // a program still being written
};

constexpr long kKiB = 1024;

std::string PathOf(const SizeLimit& limit) { return std::string(SUITE_WIN32_DIR) + "/" + limit.path; }

long FileSize(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return -1;
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::fclose(file);
  return size;
}

class DeliverableSizeTest : public ::testing::TestWithParam<SizeLimit> {};

TEST_P(DeliverableSizeTest, StaysWithinItsLimit) {
  const long size = FileSize(PathOf(GetParam()));
  if (size < 0 && GetParam().mayBeMissing) GTEST_SKIP() << GetParam().path << " is not built yet";
  ASSERT_GT(size, 0) << GetParam().path;
  EXPECT_LE(size, GetParam().maxBytes) << GetParam().path << ": " << size << " bytes";
  std::printf("%s: %ld bytes (limit %ld)\n", GetParam().name, size, GetParam().maxBytes);
}

// Texts that only the runtime chains bring: the verbose terminate handler,
// the standard exception classes (random_device comes with them), the
// winpthread guard for function-local statics, mingw's own printf with its
// floating-point formatting.
TEST_P(DeliverableSizeTest, CarriesNoneOfTheRuntimeChains) {
  const std::string pe = testsupport::ReadFile(PathOf(GetParam()));
  if (pe.empty() && GetParam().mayBeMissing) GTEST_SKIP() << GetParam().path << " is not built yet";
  ASSERT_FALSE(pe.empty()) << GetParam().path;
  for (const char* marker : {"terminate called", "std::bad_alloc", "random_device", "pthread",
                             "Infinity"}) {
    EXPECT_EQ(pe.find(marker), std::string::npos) << GetParam().path << " carries \"" << marker << "\"";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Programs, DeliverableSizeTest,
    ::testing::Values(SizeLimit{"cleanupscan", "inventory/cleanupscan.exe", 32 * kKiB, false},
                      SizeLimit{"coolingscan", "inventory/coolingscan.exe", 32 * kKiB, false},
                      SizeLimit{"recoveryscan", "inventory/recoveryscan.exe", 32 * kKiB, false},
                      SizeLimit{"drivetag", "drivetag/drivetag.exe", 48 * kKiB, false},
                      SizeLimit{"tconprobe", "tconprobe/tconprobe.exe", 96 * kKiB, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The package modules take their arguments from the C runtime; SHELL32 (for
// CommandLineToArgvW) would cost a Wine run most of its time.
TEST(PackageDeliverables, DoNotImportShell32) {
  for (const char* exe : {"inventory/cleanupscan.exe", "inventory/coolingscan.exe", "inventory/recoveryscan.exe"}) {
    const PeFacts facts = ReadPeFacts(std::string(SUITE_WIN32_DIR) + "/" + exe);
    ASSERT_TRUE(facts.readable) << exe;
    EXPECT_EQ(std::count(facts.importedDlls.begin(), facts.importedDlls.end(), "shell32.dll"), 0) << exe;
  }
}

}  // namespace
