// The simulated private-profile calls against the real ones: the same calls
// on the same odd files, under Wine and on the simulated machine, must read
// the same texts and leave the same bytes.
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ini.h"
#include "tests/wine/wine_harness.h"

namespace winetest {
namespace {

const std::string kIniTool = Win64Path("tests/windows/initool.exe");

struct OddFile {
  const char* name;
  std::string bytes;
};

const std::vector<OddFile>& OddFiles() {
  static const std::vector<OddFile> files{
      {"odd.ini",
       "; comment\r\n[general]\r\n  tcon_addr  =  0xC2  \r\nEEPROM_WR_BUF_SIZE=300\r\n;X=5\r\nQ=\"quoted\"\r\n"
       "Q2=' a '\r\nnoequals\r\nE=\r\nX==x=y\r\n\r\n[ GENERAL ]\r\nDUP=2\r\n[GENERAL]\r\nTCON_ADDR=7\r\n"
       "DUP=1\r\n[sp ace]\r\nk=v\r\n[broken\r\nz=1\r\n=a\r\n=b\r\n"},
      {"lf.ini", "top=1\n[GENERAL]\n\tGPU_TYPE\t=\t3\t\nGPU_TYPE=2\nU=\"\nS=''\n[last]\nk=1"},
      {"bom.ini", "\xEF\xBB\xBF[GENERAL]\r\nROM_CKS_COUNT=4\r\n"},
      {"long.ini", "[GENERAL]\r\nLONG=" + std::string(5000, '7') + "\r\n" + std::string(300, 'K') + "=long key\r\n"},
      {"empty.ini", ""},
      {"eof.ini", "[GENERAL]\r\nA=1\x1A\r\nB=2 \r\n[x] trailing text\r\nC=3\r\n"},
  };
  return files;
}

// The reads that matter to tconprobe and the platform's odd corners.
std::string ReadScript() {
  const char* keys[] = {"TCON_ADDR", "EEPROM_WR_BUF_SIZE ", "DUP", "Q", "Q2", "noequals", ";X", "E", "X",
                        "GPU_TYPE", "U", "S", "ROM_CKS_COUNT", "LONG", "A", "B", "missing", "top"};
  const char* sections[] = {"GENERAL", " general ", "sp ace", "x", "last"};
  std::string script;
  for (const OddFile& file : OddFiles()) {
    for (const char* section : sections) {
      for (const char* key : keys) {
        for (const char* size : {"64", "3"}) {
          script += std::string("read\t") + file.name + "\t" + section + "\t" + key + "\tdflt \t" + size + "\n";
        }
      }
    }
  }
  script += "read\tmissing.ini\tGENERAL\tTCON_ADDR\t\"dq\" \t64\n";
  script += "read\todd.ini\tsp ace\tz\td\t64\n";
  script += "read\todd.ini\tGENERAL\tQ\td\t7\n";
  script += "read\todd.ini\tGENERAL\tQ\td\t1\n";
  script += "read\tlong.ini\tGENERAL\tLONG\td\t6000\n";
  script += "read\tlong.ini\tGENERAL\t" + std::string(300, 'k') + "\td\t64\n";
  return script;
}

// Writes on copies of the odd files, and the check log's own sequence.
std::string WriteScript() {
  std::string script;
  for (const OddFile& file : OddFiles()) {
    const std::string name = file.name;
    script += "write\t" + name + "\tGENERAL\ttcon_addr\t 5  \n";
    script += "write\t" + name + "\tgeneral\tNEWKEY\tnew value\n";
    script += "write\t" + name + "\tGENERAL\tNEWKEY\tnew value\n";
    script += "delete\t" + name + "\tGENERAL\tDUP\n";
    script += "delete\t" + name + "\tlast\tk\n";
    script += "erase\t" + name + "\tsp ace\n";
    script += "write\t" + name + "\t fresh \t key \tv\n";
  }
  for (int round = 0; round < 2; ++round) {
    script += "erase\tchk_log.ini\tRESULT\n";
    script += "write\tchk_log.ini\tRESULT\tACTION\tREAD SUCCESS\n";
    script += "write\tchk_log.ini\tRESULT\tCHECK\tPASS\n";
    script += "write\tchk_log.ini\tRESULT\tSIGNATURE\t000008\n";
    script += "write\tchk_log.ini\tRESULT\tCHECKSUM\t00000" + std::to_string(8 + round) + "\n";
  }
  script += "erase\tnever.ini\tRESULT\n";
  script += "delete\tnever.ini\tRESULT\tKEY\n";
  script += "write\tno-folder\\x.ini\tRESULT\tKEY\tv\n";
  return script;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  std::string part;
  while (std::getline(stream, part, separator)) parts.push_back(part);
  if (!text.empty() && text.back() == separator && separator == '\t') parts.emplace_back();
  return parts;
}

std::string Hex(const char* bytes, std::uint32_t count) {
  std::string hex;
  char pair[3];
  for (std::uint32_t i = 0; i < count; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
    hex += pair;
  }
  return hex;
}

// The same script through the simulated machine's calls, in its own folder.
std::vector<std::string> RunOnSimulatedMachine(const std::string& script, const std::string& folder) {
  char previous[4096];
  EXPECT_NE(getcwd(previous, sizeof previous), nullptr);
  EXPECT_EQ(chdir(folder.c_str()), 0);
  std::vector<std::string> results;
  for (const std::string& line : Split(script, '\n')) {
    const std::vector<std::string> f = Split(line, '\t');
    if (f[0] == "read") {
      const std::uint32_t size = static_cast<std::uint32_t>(std::stoul(f[5]));
      std::vector<char> buffer(size + 1, '\x7F');
      const std::uint32_t count =
          platform::GetPrivateProfileStringA(f[2].c_str(), f[3].c_str(), f[4].c_str(), buffer.data(), size,
                                             f[1].c_str());
      results.push_back(std::to_string(count) + ":" + Hex(buffer.data(), count < size ? count : size));
    } else {
      const char* key = f[0] == "erase" ? nullptr : f[3].c_str();
      const char* value = f[0] == "write" ? f[4].c_str() : nullptr;
      results.push_back(platform::WritePrivateProfileStringA(f[2].c_str(), key, value, f[1].c_str()) ? "1" : "0");
    }
  }
  EXPECT_EQ(chdir(previous), 0);
  return results;
}

class IniWineTest : public WineTest {
 protected:
  void PutOddFiles(const std::string& folder) {
    for (const OddFile& file : OddFiles()) testsupport::WriteFile(folder + "/" + file.name, file.bytes);
  }

  void Compare(const std::string& script) {
    PutOddFiles(Path(""));
    PutOddFiles(simFolder_.path());
    testsupport::WriteFile(Path("script.txt"), script);
    const auto run = Run(kIniTool, {"script.txt"});
    ASSERT_EQ(run.exitCode, 0) << run.stderrBytes;
    std::vector<std::string> real;
    for (std::string line : Split(run.stdoutBytes, '\n')) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      real.push_back(line);
    }
    const std::vector<std::string> lines = Split(script, '\n');
    const std::vector<std::string> simulated = RunOnSimulatedMachine(script, simFolder_.path());
    ASSERT_EQ(real.size(), lines.size()) << run.stdoutBytes;
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(simulated[i], real[i]) << lines[i];
    for (const char* name : {"odd.ini", "lf.ini", "bom.ini", "long.ini", "empty.ini", "eof.ini", "chk_log.ini",
                             "never.ini"}) {
      EXPECT_EQ(testsupport::FileExists(simFolder_ / name), testsupport::FileExists(Path(name))) << name;
      EXPECT_EQ(testsupport::ReadFile(simFolder_ / name), Read(name)) << name;
    }
  }

  testsupport::TempDir simFolder_;
};

TEST_F(IniWineTest, ReadsTheSameTextsAsThePlatform) { Compare(ReadScript()); }

TEST_F(IniWineTest, WritesTheSameBytesAsThePlatform) { Compare(WriteScript()); }

}  // namespace
}  // namespace winetest
