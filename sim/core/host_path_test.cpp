// Where Windows file names land on the host: never outside the drive folder
// for a rooted name, nowhere for devices, other drives and network names.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/files.h"
#include "platform/status.h"
#include "sim/core/host_path.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "tests/native/sim_test.h"

namespace {

struct PathCase {
  const char16_t* name;
  const char* expected;  // null: no host path
};

TEST(HostPathTest, MapsEachKindOfName) {
  const PathCase cases[] = {
      {u"C:\\Data\\out.xml", "/drive/Data/out.xml"},
      {u"c:\\data", "/drive/data"},
      {u"C:out.xml", "/drive/out.xml"},
      {u"C:", "/drive/"},
      {u"\\Data\\out.xml", "/drive/Data/out.xml"},  // the root of the current drive
      {u"/Data/out.xml", "/drive/Data/out.xml"},
      {u"\\", "/drive/"},
      {u"C:\\..\\..\\etc\\passwd", "/drive/etc/passwd"},  // no climbing above the root
      {u"\\..\\x", "/drive/x"},
      {u"C:\\a\\.\\b\\..\\c", "/drive/a/c"},
      {u"ROOT\\ORVOUTILS\\0000", "ROOT/ORVOUTILS/0000"},
      {u"..\\sibling.txt", "../sibling.txt"},  // relative names resolve as on Windows
      {u"D:\\x", nullptr},
      {u"\\\\server\\share\\x", nullptr},
      {u"//server/share/x", nullptr},
      {u"\\\\.\\Zerbix_2_3", nullptr},
      {u"\\\\?\\C:\\x", nullptr},
      {u"", nullptr},
  };
  for (const PathCase& row : cases) {
    std::string path;
    const bool mapped = sim::HostPath(row.name, "/drive", &path);
    const std::string shown = sim::Utf16ToUtf8(row.name);
    EXPECT_EQ(mapped, row.expected != nullptr) << shown;
    if (mapped && row.expected != nullptr) {
      EXPECT_EQ(path, row.expected) << shown;
    }
  }
}

class HostFileTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    LoadMachine("{}");
    std::filesystem::create_directories(Path("c-drive"));
  }
};

TEST_F(HostFileTest, ARootedNameWritesBelowTheDriveFolder) {
  const platform::Handle file = platform::CreateFileW(u"\\rooted.xml", platform::kGenericWrite, 0,
                                                      platform::kCreateAlways, 0);
  ASSERT_NE(file, platform::kInvalidHandle);
  platform::CloseHandle(file);
  EXPECT_TRUE(std::filesystem::exists(Path("c-drive/rooted.xml")));

  platform::TextFile* text = platform::OpenTextFile("/rooted.log", "w");
  ASSERT_NE(text, nullptr);
  platform::CloseTextFile(text);
  EXPECT_TRUE(std::filesystem::exists(Path("c-drive/rooted.log")));
}

TEST_F(HostFileTest, ADeviceNameIsNoTextFile) {
  // Before, this name reached the host's root folder as /invsim-device-probe.
  const char* name = "\\\\.\\invsim-device-probe";
  EXPECT_EQ(platform::OpenTextFile(name, "w"), nullptr);
  EXPECT_EQ(platform::LastError(), platform::kErrorFileNotFound);
  EXPECT_FALSE(std::filesystem::exists("/invsim-device-probe"));
  EXPECT_EQ(platform::OpenTextFile("\\\\server\\share\\log.txt", "w"), nullptr);
  EXPECT_EQ(platform::LastError(), platform::kErrorPathNotFound);
  EXPECT_EQ(TraceOf("file.text \\\\.\\invsim-device-probe mode=w -> failed").size(), 1u);
}

}  // namespace
