#include "inventory/common/wow64.h"
#include "tests/native/sim_test.h"
#include "tests/support/table_rows.h"

namespace {

using testsupport::PrintTo;

struct Wow64Case {
  const char* machine;
  bool expected;
};

class Wow64Test : public SimTest, public ::testing::WithParamInterface<Wow64Case> {};

TEST_P(Wow64Test, AnswersYesOnlyWhenTheFunctionExistsAndSaysTrue) {
  LoadMachine(GetParam().machine);
  EXPECT_EQ(inventory::IsRunningUnderWow64(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, Wow64Test,
    ::testing::Values(Wow64Case{R"({"windows": 64})", true},
                      Wow64Case{R"({"windows": 32})", false},
                      Wow64Case{R"({"windows": 64, "isWow64Process": "missing"})", false},
                      Wow64Case{R"({"windows": 64, "isWow64Process": "fails"})", false},
                      Wow64Case{R"({"windows": 32, "isWow64Process": "missing"})", false}));

}  // namespace
