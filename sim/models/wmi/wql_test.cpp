// The simulated machine's WQL evaluator, for the statements the programs send.
#include <gtest/gtest.h>

#include "sim/core/text_codec.h"
#include "sim/models/wmi/wql.h"

namespace {

struct LikeCase {
  const char* value;
  const char* pattern;
  bool matches;
};

class WqlLikeTest : public ::testing::TestWithParam<LikeCase> {};

TEST_P(WqlLikeTest, Matches) {
  EXPECT_EQ(sim::WqlLike(sim::Utf8ToUtf16(GetParam().value), sim::Utf8ToUtf16(GetParam().pattern)),
            GetParam().matches)
      << GetParam().value << " LIKE " << GetParam().pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, WqlLikeTest,
    ::testing::Values(LikeCase{"Intel RST VMD Controller", "%RST%", true},
                      LikeCase{"Intel rst driver", "%RST%", true},  // without regard to case
                      LikeCase{"RST", "%RST%", true}, LikeCase{"RS T", "%RST%", false},
                      LikeCase{"", "%", true}, LikeCase{"", "_", false}, LikeCase{"ab", "a_", true},
                      LikeCase{"abc", "a_", false}, LikeCase{"RST 09AB", "%09AB%", true},
                      LikeCase{"RST 09A", "%09AB%", false}, LikeCase{"b1", "[abc]1", true},
                      LikeCase{"d1", "[a-c]1", false}, LikeCase{"d1", "[^a-c]1", true},
                      LikeCase{"[x", "[x", true}, LikeCase{"abc", "abc", true},
                      LikeCase{"abcd", "abc", false}));

sim::WmiRow Row(std::initializer_list<std::pair<const char*, const char*>> properties) {
  sim::WmiRow row;
  for (const auto& [name, value] : properties) {
    if (value == nullptr) row.properties.emplace_back(sim::Utf8ToUtf16(name), std::nullopt);
    else row.properties.emplace_back(sim::Utf8ToUtf16(name), sim::Utf8ToUtf16(value));
  }
  return row;
}

TEST(WqlTest, ParsesSelectListClassAndCondition) {
  sim::WqlQuery query;
  std::string error;
  ASSERT_TRUE(sim::ParseWql(
      u" select devicename,driverversion from  Win32_PnPsigneddriver WHERE devicename LIKE '%RST%' "
      u"AND NOT devicename LIKE '%09AB%' ",
      &query, &error))
      << error;
  EXPECT_EQ(query.properties, (std::vector<std::u16string>{u"devicename", u"driverversion"}));
  EXPECT_EQ(query.className, u"Win32_PnPsigneddriver");
  EXPECT_TRUE(sim::RowMatches(query, Row({{"DeviceName", "Intel RST 467F"}})));
  EXPECT_FALSE(sim::RowMatches(query, Row({{"DEVICENAME", "Intel RST 09AB"}})));
  EXPECT_FALSE(sim::RowMatches(query, Row({{"DeviceName", "Audio"}})));
  EXPECT_FALSE(sim::RowMatches(query, Row({{"DeviceName", nullptr}})));
  EXPECT_FALSE(sim::RowMatches(query, Row({{"Other", "RST"}})));
}

TEST(WqlTest, NotBindsTighterThanAndWhichBindsTighterThanOr) {
  sim::WqlQuery query;
  std::string error;
  ASSERT_TRUE(sim::ParseWql(u"SELECT * FROM c WHERE a = 'x' OR NOT b = 'y' AND (c <> 'z')", &query, &error));
  EXPECT_TRUE(query.allProperties);
  EXPECT_TRUE(sim::RowMatches(query, Row({{"a", "X"}, {"b", "y"}, {"c", "z"}})));
  EXPECT_TRUE(sim::RowMatches(query, Row({{"a", "-"}, {"b", "-"}, {"c", "-"}})));
  EXPECT_FALSE(sim::RowMatches(query, Row({{"a", "-"}, {"b", "y"}, {"c", "-"}})));
  EXPECT_FALSE(sim::RowMatches(query, Row({{"a", "-"}, {"b", "-"}, {"c", "z"}})));
}

TEST(WqlTest, RejectsWhatIsNotAStatement) {
  sim::WqlQuery query;
  std::string error;
  for (const char16_t* text : {u"", u"SELECT FROM x", u"SELECT a x", u"SELECT a FROM", u"SELECT a FROM x WHERE",
                               u"SELECT a FROM x WHERE a LIKE 'open", u"SELECT a FROM x WHERE a LIKE b",
                               u"SELECT a FROM x y", u"SELECT a; FROM x"}) {
    EXPECT_FALSE(sim::ParseWql(text, &query, &error)) << sim::Utf16ToUtf8(text);
  }
}

}  // namespace
