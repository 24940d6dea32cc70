#include <gtest/gtest.h>

#include "support/PanelFixture.h"

namespace dw::test {

namespace {

// One character as a wide string, a surrogate pair where wchar_t is UTF-16.
std::wstring CodePoint(char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      return {static_cast<wchar_t>(0xD800 + (cp >> 10)), static_cast<wchar_t>(0xDC00 + (cp & 0x3FF))};
    }
  }
  return std::wstring(1, static_cast<wchar_t>(cp));
}

}  // namespace

TEST(TrayTip, IsCutAfterSixtyFourUtf16Units) {
  const std::wstring face = CodePoint(0x1F600);
  struct Case {
    std::wstring text, tip;
  };
  const Case cases[] = {
      {L"", L""},
      {std::wstring(64, L'a'), std::wstring(64, L'a')},
      {std::wstring(65, L'a'), std::wstring(64, L'a')},
      {std::wstring(62, L'a') + face + L"b", std::wstring(62, L'a') + face},
      // The character would need units 64 and 65: it is left out rather than halved.
      {std::wstring(63, L'a') + face, std::wstring(63, L'a')},
      {std::wstring(64, L'é') + L"x", std::wstring(64, L'é')},
  };
  for (const Case& c : cases) EXPECT_EQ(CutTrayTip(c.text), c.tip) << c.text.size();
}

class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconTest() { SetTrayObserver(&tray); }
  test::ScopedProgramState programState;
  RecordingTray tray;
};

TEST_F(TrayIconTest, AddModifyAndDeleteReachTheObserverWithTheRecord) {
  AddTrayIcon(kApplicationIcon, L"Drivewarden");
  ModifyTrayIcon(std::wstring(70, L'x'), 2);
  DeleteTrayIcon();

  ASSERT_EQ(tray.steps.size(), 3u);
  EXPECT_EQ(tray.steps[0].operation, TTrayOperation::Add);
  const TTrayIconRecord& added = tray.steps[0].record;
  EXPECT_TRUE(added.Added);
  EXPECT_EQ(added.uID, 1u);
  EXPECT_EQ(added.uFlags, 7u);
  EXPECT_EQ(added.uCallbackMessage, 1025u);
  EXPECT_EQ(added.Icon, kApplicationIcon);
  EXPECT_EQ(added.Tip, L"Drivewarden");

  EXPECT_EQ(tray.steps[1].operation, TTrayOperation::Modify);
  EXPECT_EQ(tray.steps[1].record.Icon, 2);
  EXPECT_EQ(tray.steps[1].record.Tip, std::wstring(64, L'x'));
  EXPECT_EQ(tray.steps[1].record.uCallbackMessage, 1025u);

  EXPECT_EQ(tray.steps[2].operation, TTrayOperation::Delete);
  EXPECT_FALSE(TrayIcon().Added);
}

}  // namespace dw::test
