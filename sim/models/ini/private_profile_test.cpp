// The private-profile model: reading and writing as the platform does (the
// Wine tests compare it with the real calls on the same files).
#include "sim/models/ini/private_profile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using sim::ini::Parse;

const std::string kOddFile =
    "; comment\r\n[general]\r\n  tcon_addr  =  0xC2  \r\nEEPROM_WR_BUF_SIZE=300\r\n;X=5\r\nQ=\"quoted\"\r\n"
    "Q2=' a '\r\nnoequals\r\nE=\r\nX==x=y\r\n\r\n[ GENERAL ]\r\nDUP=2\r\n[GENERAL]\r\nTCON_ADDR=7\r\nDUP=1\r\n"
    "[sp ace]\r\nk=v\r\n[broken\r\nz=1\r\n";

struct ReadCase {
  const char* section;
  const char* key;
  const char* defaultValue;
  std::uint32_t size;
  const char* expected;
};

TEST(PrivateProfile, ReadsValuesWithThePlatformsRules) {
  const sim::ini::Profile profile = Parse(kOddFile);
  const ReadCase cases[] = {
      {"GENERAL", "TCON_ADDR", "d", 100, "0xC2"},                // case and blanks around names and values
      {"GENERAL", "EEPROM_WR_BUF_SIZE ", "d", 100, "300"},       // a blank after the name asked for
      {"  general ", " tcon_addr", "d", 100, "0xC2"},            // blanks around the names asked for
      {"GENERAL", "DUP", "dflt", 100, "dflt"},                   // only the first section of a name counts
      {"GENERAL", "Q", "d", 100, "quoted"},                      // matching quotes are dropped
      {"GENERAL", "Q2", "d", 100, " a "},
      {"GENERAL", "noequals", "dflt", 100, "dflt"},              // a line without '=' has no value
      {"GENERAL", ";X", "d", 100, "5"},                          // a comment is a key like any other
      {"GENERAL", "E", "d", 100, ""},                            // an empty value is a value
      {"GENERAL", "X", "d", 100, "=x=y"},                        // the first '=' splits
      {"GENERAL", "missing", "dflt  ", 100, "dflt"},             // default without its trailing blanks
      {"GENERAL", "missing", " d ", 100, " d"},
      {"GENERAL", "missing", "\"dq\"", 100, "dq"},               // the default's quotes are dropped too
      {"sp ace", "z", "d", 100, "1"},                            // "[broken" is a key of the section before
      {"GENERAL", "TCON_ADDR", "d", 3, "0x"},                    // cut to the buffer, terminator included
      {"GENERAL", "TCON_ADDR", "d", 1, ""},
      {"GENERAL", "TCON_ADDR", "d", 0, ""},
      {"GENERAL", "Q", "d", 6, "quote"},                         // a cut quoted value
      {"GENERAL", "Q", "d", 7, "quote"},                         // the closing quote fits, one letter does not
      {"GENERAL", "Q", "d", 8, "quoted"},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(sim::ini::ReadString(&profile, c.section, c.key, c.defaultValue, c.size), c.expected)
        << c.section << "/" << c.key << " size " << c.size;
  }
  EXPECT_EQ(sim::ini::ReadString(nullptr, "GENERAL", "TCON_ADDR", "def  ", 100), "def");
}

TEST(PrivateProfile, WritesTheWholeFileBackInItsOwnLayout) {
  sim::ini::Profile profile = Parse("k=1\n[s]\n  Name =  old \n\n\n[t]\na=2");
  EXPECT_TRUE(sim::ini::SetString(profile, "S", " name ", " new  "));
  EXPECT_FALSE(sim::ini::SetString(profile, "s", "name", "new"));  // the same value changes nothing
  EXPECT_TRUE(sim::ini::SetString(profile, "s", "added", "x"));
  EXPECT_TRUE(sim::ini::DeleteKey(profile, "t", "a"));
  EXPECT_FALSE(sim::ini::DeleteKey(profile, "t", "a"));
  EXPECT_TRUE(sim::ini::SetString(profile, " fresh ", " k ", "v"));
  // Blank lines go, names keep their spelling, empty sections stay; new
  // names lose only their leading blanks.
  EXPECT_EQ(sim::ini::Serialize(profile), "k=1\r\n[s]\r\nName=new\r\nadded=x\r\n[t]\r\n[fresh ]\r\nk =v\r\n");
}

TEST(PrivateProfile, ErasingRemovesOnlyTheFirstSectionOfTheName) {
  sim::ini::Profile profile = Parse("[RESULT]\r\nA=1\r\n[other]\r\nB=2\r\n[result]\r\nC=3\r\n");
  EXPECT_TRUE(sim::ini::DeleteSection(profile, "Result"));
  EXPECT_EQ(sim::ini::Serialize(profile), "[other]\r\nB=2\r\n[result]\r\nC=3\r\n");
  EXPECT_TRUE(sim::ini::DeleteSection(profile, "RESULT"));
  EXPECT_FALSE(sim::ini::DeleteSection(profile, "RESULT"));
  EXPECT_EQ(sim::ini::Serialize(profile), "[other]\r\nB=2\r\n");
}

TEST(PrivateProfile, KeepsAByteOrderMarkAndReadsPastIt) {
  sim::ini::Profile profile = Parse("\xEF\xBB\xBF[g]\r\nk=1\r\n");
  EXPECT_EQ(sim::ini::ReadString(&profile, "g", "k", "", 10), "1");
  EXPECT_TRUE(sim::ini::SetString(profile, "g", "k", "2"));
  EXPECT_EQ(sim::ini::Serialize(profile), "\xEF\xBB\xBF[g]\r\nk=2\r\n");
}

TEST(PrivateProfile, LongValuesAreCutAtTheBuffer) {
  const std::string value(5000, '7');
  const sim::ini::Profile profile = Parse("[g]\nk=" + value + "\n");
  EXPECT_EQ(sim::ini::ReadString(&profile, "g", "k", "", 64), value.substr(0, 63));
}

}  // namespace
