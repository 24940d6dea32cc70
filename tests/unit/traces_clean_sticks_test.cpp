// Ordinary sticks, as their owners and the systems they met leave them: no rule of
// today's worms may report anything on them, in a quick or a thorough scan, and
// each must be looked at whole. The classic rules' findings are theirs (an install
// medium's autorun file) and are not judged here.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "clean_sticks.h"
#include "common/Text.h"
#include "support/ScanHarness.h"
#include "support/ShortcutBuilder.h"

namespace dw::test {

namespace {

const std::set<std::string_view> kClassicRules = {"autorun-file", "autorun-target", "hidden-system-program",
                                                  "shortcut-to-hidden", "program-beside-folder"};

class CleanSticksTest : public ::testing::TestWithParam<std::tuple<CleanStick, bool>> {};

TEST_P(CleanSticksTest, NothingOfTodaysRules) {
  const auto& [stick, thorough] = GetParam();
  DriveFixture drive;
  ScanHarness harness;
  stick.arrange(drive);
  PdiskInfo record = harness.Drive(drive);
  record->VolName = stick.label;
  harness.Scan(record, thorough);

  for (const std::wstring& path : harness.view.added) {
    std::optional<TFindingWhy> why = State().FindingReasons.Get(path);
    ASSERT_TRUE(why) << WideToUtf8(path);
    EXPECT_TRUE(kClassicRules.count(RuleId(why->why)))
        << WideToUtf8(path) << ": " << RuleId(why->why) << ", " << WideToUtf8(ReasonEnglish(*why));
  }
  for (const auto& [path, kind] : harness.view.errors) ADD_FAILURE() << "scan error on " << WideToUtf8(path);
}

INSTANTIATE_TEST_SUITE_P(Sticks, CleanSticksTest,
                         ::testing::Combine(::testing::ValuesIn(kCleanSticks), ::testing::Bool()),
                         [](const auto& testInfo) {
                           return std::string(std::get<0>(testInfo.param).name) +
                                  (std::get<1>(testInfo.param) ? "_Thorough" : "_Quick");
                         });

}  // namespace

}  // namespace dw::test
