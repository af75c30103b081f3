// The 32-bit deliverables as the framework receives them: PE32 for i386,
// the right subsystem, only system DLLs imported, a version resource.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/inspection/pe_headers.h"
#include "tests/support/build_present.h"
#include "tests/support/process.h"
#include "tests/support/table_rows.h"

namespace {

using testsupport::PrintTo;

const auto* const kWin32Build = ::testing::AddGlobalTestEnvironment(
    new testsupport::BuildPresent("win32", std::string(SUITE_WIN32_DIR) + "/inventory/cleanupscan.exe"));

constexpr int kConsole = 3;

struct Deliverable {
  const char* name;
  const char* path;  // below the win32 build folder
  int subsystem;
};

class DeliverableTest : public ::testing::TestWithParam<Deliverable> {
 protected:
  PeFacts Facts() const { return ReadPeFacts(std::string(SUITE_WIN32_DIR) + "/" + GetParam().path); }
};

TEST_P(DeliverableTest, IsAThirtyTwoBitProgramForItsSubsystem) {
  const PeFacts facts = Facts();
  ASSERT_TRUE(facts.readable) << GetParam().path;
  EXPECT_EQ(facts.format, "pei-i386");
  EXPECT_EQ(facts.architecture, "i386");
  EXPECT_EQ(facts.magic, "010b");  // PE32, not PE32+
  EXPECT_EQ(facts.subsystem, GetParam().subsystem);
}

TEST_P(DeliverableTest, ImportsOnlySystemDlls) {
  const PeFacts facts = Facts();
  ASSERT_FALSE(facts.importedDlls.empty());
  for (const std::string& dll : facts.importedDlls) EXPECT_TRUE(IsAllowedSystemDll(dll)) << dll;
}

TEST_P(DeliverableTest, CarriesAVersionResource) {
  EXPECT_EQ(Facts().resourceTypes.count(16u), 1u);
}

INSTANTIATE_TEST_SUITE_P(Programs, DeliverableTest,
                         ::testing::Values(Deliverable{"cleanupscan", "inventory/cleanupscan.exe", kConsole},
                                           Deliverable{"coolingscan", "inventory/coolingscan.exe", kConsole},
                                           Deliverable{"recoveryscan", "inventory/recoveryscan.exe", kConsole},
                                           Deliverable{"drivetag", "drivetag/drivetag.exe", kConsole}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DrivetagDeliverable, CarriesOneAsInvokerManifest) {
  const std::string pe = testsupport::ReadFile(std::string(SUITE_WIN32_DIR) + "/drivetag/drivetag.exe");
  const std::string manifest = ReadResource(pe, 24, 1);  // RT_MANIFEST, the process manifest
  EXPECT_NE(manifest.find(R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"),
            std::string::npos)
      << manifest;
  EXPECT_EQ(ReadResource(pe, 24, 2), "");
}

TEST(DrivetagDeliverable, ImportsSetupApiAndComForItsWork) {
  const PeFacts facts = ReadPeFacts(std::string(SUITE_WIN32_DIR) + "/drivetag/drivetag.exe");
  for (const char* dll : {"kernel32.dll", "setupapi.dll", "ole32.dll", "oleaut32.dll"}) {
    EXPECT_EQ(std::count(facts.importedDlls.begin(), facts.importedDlls.end(), dll), 1) << dll;
  }
}

// The import lines objdump lists under one DLL ("vma  ordinal/hint  name").
std::vector<std::string> ImportLines(const std::string& dump, const std::string& dll) {
  std::vector<std::string> lines;
  const auto at = dump.find("DLL Name: " + dll + "\n");
  if (at == std::string::npos) return lines;
  std::istringstream block(dump.substr(dump.find('\n', dump.find("Member-Name", at)) + 1));
  std::string line;
  while (std::getline(block, line) && line.find_first_not_of(" \t") != std::string::npos) {
    std::istringstream fields(line);
    std::string vma, number, name;
    fields >> vma >> number >> name;
    lines.push_back(number + " " + name);
  }
  return lines;
}

TEST(RecoveryscanDeliverable, ImportsItsTwoInstallerFunctionsByOrdinalOnly) {
  const PeFacts facts = ReadPeFacts(std::string(SUITE_WIN32_DIR) + "/inventory/recoveryscan.exe");
  EXPECT_EQ(ImportLines(facts.dump, "msi.dll"), (std::vector<std::string>{"204 <none>", "247 <none>"}))
      << facts.dump;
}

TEST(PackageDeliverables, OnlyTheRecoveryModuleImportsTheInstaller) {
  for (const char* exe : {"inventory/cleanupscan.exe", "inventory/coolingscan.exe"}) {
    const PeFacts facts = ReadPeFacts(std::string(SUITE_WIN32_DIR) + "/" + exe);
    EXPECT_EQ(std::count(facts.importedDlls.begin(), facts.importedDlls.end(), "msi.dll"), 0) << exe;
  }
}

TEST(CoolingscanDeliverable, ImportsTheMessageBoxForItsErrorReport) {
  const PeFacts facts = ReadPeFacts(std::string(SUITE_WIN32_DIR) + "/inventory/coolingscan.exe");
  const auto user32 = ImportLines(facts.dump, "USER32.dll");
  ASSERT_EQ(user32.size(), 1u) << facts.dump;
  EXPECT_EQ(user32[0].substr(user32[0].find(' ') + 1), "MessageBoxW");
}

}  // namespace
