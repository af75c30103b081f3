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

constexpr int kWindowed = 2;
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
                                           Deliverable{"drivetag", "drivetag/drivetag.exe", kConsole},
                                           Deliverable{"tconprobe", "tconprobe/tconprobe.exe", kWindowed}),
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

// The error box is found at run time, on the failure path only: USER32 as an
// import would be loaded on every run.
TEST(CoolingscanDeliverable, FindsTheMessageBoxOnlyWhenItShowsOne) {
  const PeFacts facts = ReadPeFacts(std::string(SUITE_WIN32_DIR) + "/inventory/coolingscan.exe");
  EXPECT_EQ(std::count(facts.importedDlls.begin(), facts.importedDlls.end(), "user32.dll"), 0) << facts.dump;
  const std::string pe = testsupport::ReadFile(std::string(SUITE_WIN32_DIR) + "/inventory/coolingscan.exe");
  EXPECT_NE(pe.find(std::string("user32.dll") + '\0'), std::string::npos);
  EXPECT_NE(pe.find(std::string("MessageBoxW") + '\0'), std::string::npos);
  const auto kernel32 = ImportLines(facts.dump, "KERNEL32.dll");
  EXPECT_EQ(std::count_if(kernel32.begin(), kernel32.end(),
                          [](const std::string& line) { return line.ends_with(" LoadLibraryA"); }),
            1)
      << facts.dump;
}

const std::string kTconprobe = std::string(SUITE_WIN32_DIR) + "/tconprobe/tconprobe.exe";

TEST(TconprobeDeliverable, ExportsItsFourAuxFunctionsByPlainName) {
  const PeFacts facts = ReadPeFacts(kTconprobe);
  const auto table = facts.dump.find("[Ordinal/Name Pointer] Table");
  ASSERT_NE(table, std::string::npos) << facts.dump;
  std::istringstream lines(facts.dump.substr(facts.dump.find('\n', table) + 1));
  std::vector<std::string> names;
  std::string line;
  while (std::getline(lines, line) && line.find('[') != std::string::npos) names.push_back(line.substr(line.find(']') + 2));
  EXPECT_EQ(names, (std::vector<std::string>{"KSXAUX_CloseDll", "KSXAUX_I2COverAuxAccess", "KSXAUX_NativeAuxAccess",
                                             "KSXAUX_OpenDll"}));
}

TEST(TconprobeDeliverable, ReachesTheGpuInterfacesOnlyAtRunTime) {
  const PeFacts facts = ReadPeFacts(kTconprobe);
  for (const std::string& dll : facts.importedDlls) {
    EXPECT_TRUE(dll == "kernel32.dll" || dll == "msvcrt.dll" || dll == "ole32.dll" || dll == "oleaut32.dll" ||
                dll == "shell32.dll" || dll == "version.dll" || dll == "user32.dll" || dll == "advapi32.dll")
        << dll;
  }
}

TEST(TconprobeDeliverable, CarriesTheBuildsFileVersion) {
  const std::string resource = ReadResource(testsupport::ReadFile(kTconprobe), 16, 1);
  const std::string signature("\xBD\x04\xEF\xFE", 4);  // VS_FIXEDFILEINFO
  const auto fixed = resource.find(signature);
  ASSERT_NE(fixed, std::string::npos);
  // dwFileVersionMS and dwFileVersionLS: 1.0.0.0
  EXPECT_EQ(resource.substr(fixed + 8, 8), std::string("\0\0\1\0\0\0\0\0", 8));
}

// The program's own code is small: it adds a few tens of KB to what every
// program of the suite carries.
TEST(TconprobeDeliverable, AddsLittleToTheSmallestProgram) {
  const auto size = [](const std::string& path) { return testsupport::ReadFile(path).size(); };
  EXPECT_LT(size(kTconprobe), size(std::string(SUITE_WIN32_DIR) + "/inventory/cleanupscan.exe") + 64 * 1024);
}

}  // namespace
