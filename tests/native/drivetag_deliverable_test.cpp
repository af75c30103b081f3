// The 32-bit deliverable drivetag.exe as objdump shows it, and its
// application manifest read from the resource section.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "tests/support/process.h"

namespace {

const std::string kExe = std::string(SUITE_WIN32_DIR) + "/drivetag/drivetag.exe";

std::string ObjdumpHeaders() {
  testsupport::TempDir dir;
  const auto result = testsupport::RunProcess({"/usr/bin/objdump", "-p", kExe}, {}, dir.path());
  return result.stdoutBytes;
}

std::uint32_t Read32(const std::string& bytes, std::size_t at) {
  if (at + 4 > bytes.size()) return 0;
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

std::uint16_t Read16(const std::string& bytes, std::size_t at) {
  if (at + 2 > bytes.size()) return 0;
  std::uint16_t value = 0;
  std::memcpy(&value, bytes.data() + at, 2);
  return value;
}

// The data of resource type/id (first language) from the PE file, or "".
std::string Resource(const std::string& pe, std::uint32_t type, std::uint32_t id) {
  const std::uint32_t header = Read32(pe, 0x3C);
  const std::uint16_t sections = Read16(pe, header + 6);
  const std::uint16_t optionalSize = Read16(pe, header + 20);
  std::size_t table = header + 24 + optionalSize;
  std::uint32_t rsrcRva = 0, rsrcRaw = 0;
  for (std::uint16_t i = 0; i < sections; ++i, table += 40) {
    if (pe.compare(table, 5, ".rsrc") == 0) {
      rsrcRva = Read32(pe, table + 12);
      rsrcRaw = Read32(pe, table + 20);
    }
  }
  if (rsrcRaw == 0) return "";
  // Finds the entry with this id in a directory; returns its offset field.
  auto entry = [&](std::uint32_t directory, std::uint32_t wanted, bool any) -> std::uint32_t {
    const std::size_t at = rsrcRaw + directory;
    const unsigned count = Read16(pe, at + 12) + Read16(pe, at + 14);
    for (unsigned i = 0; i < count; ++i) {
      const std::size_t item = at + 16 + 8 * i;
      if (any || Read32(pe, item) == wanted) return Read32(pe, item + 4);
    }
    return 0;
  };
  const std::uint32_t types = entry(0, type, false);
  if ((types & 0x80000000u) == 0) return "";
  const std::uint32_t names = entry(types & 0x7FFFFFFFu, id, false);
  if ((names & 0x80000000u) == 0) return "";
  const std::uint32_t data = entry(names & 0x7FFFFFFFu, 0, true);
  const std::uint32_t rva = Read32(pe, rsrcRaw + data), size = Read32(pe, rsrcRaw + data + 4);
  const std::size_t offset = rsrcRaw + (rva - rsrcRva);
  return offset + size <= pe.size() ? pe.substr(offset, size) : "";
}

class DrivetagDeliverableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kExe)) GTEST_SKIP() << "build the win32 preset first: " << kExe;
  }
};

TEST_F(DrivetagDeliverableTest, IsA32BitConsoleProgramImportingOnlySystemDlls) {
  const std::string headers = ObjdumpHeaders();
  EXPECT_NE(headers.find("file format pei-i386"), std::string::npos) << headers;
  EXPECT_NE(headers.find("Magic\t\t\t010b\t(PE32)"), std::string::npos);
  EXPECT_NE(headers.find("Subsystem\t\t00000003\t(Windows CUI)"), std::string::npos);
  const std::set<std::string> allowed = {"kernel32.dll", "advapi32.dll", "user32.dll", "shell32.dll",
                                         "ole32.dll",    "oleaut32.dll", "setupapi.dll", "msi.dll",
                                         "version.dll",  "msvcrt.dll"};
  std::set<std::string> imported;
  const std::string marker = "DLL Name: ";
  for (auto at = headers.find(marker); at != std::string::npos; at = headers.find(marker, at + 1)) {
    std::string name = headers.substr(at + marker.size(), headers.find('\n', at) - at - marker.size());
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    imported.insert(name);
  }
  for (const char* name : {"kernel32.dll", "setupapi.dll", "ole32.dll", "oleaut32.dll"}) {
    EXPECT_EQ(imported.count(name), 1u) << name;
  }
  for (const std::string& name : imported) EXPECT_EQ(allowed.count(name), 1u) << name;
}

TEST_F(DrivetagDeliverableTest, CarriesItsAsInvokerManifestAndVersion) {
  const std::string pe = testsupport::ReadFile(kExe);
  const std::string manifest = Resource(pe, 24, 1);  // RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID
  EXPECT_NE(manifest.find(R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"),
            std::string::npos)
      << manifest;
  EXPECT_EQ(Resource(pe, 24, 2), "");  // one manifest only
  EXPECT_FALSE(Resource(pe, 16, 1).empty());  // RT_VERSION
}

}  // namespace
