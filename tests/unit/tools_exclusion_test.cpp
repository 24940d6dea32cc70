#include <gtest/gtest.h>

#include "support/DriveFixture.h"
#include "tools_fixture.h"

namespace dw::test {

class ToolsExclusionTest : public ToolsFixture {
 protected:
  // The button fills PopupMenu2; the user then picks the entry of caption.
  void ExcludeThroughMenu(const std::wstring& caption, int answer) {
    system.QueueAnswer(answer);
    Click(L"btexcludeDisk");
    for (const auto& child : C(L"PopupMenu2").Children()) {
      if (child->Caption() == caption) {
        child->OnClick(*child);
        return;
      }
    }
    FAIL() << "no such entry";
  }
  void ShowOptions() {
    TComponent& page = C(L"TabSheet5");
    page.OnShow(page);
  }
  // The user sets the check box of row and the list reports the click.
  void Tick(int row, bool checked) {
    TComponent& view = C(L"ListView5");
    view.SetRowChecked(row, checked);
    ASSERT_TRUE(view.OnClick);
    view.OnClick(view);
  }
};

TEST_F(ToolsExclusionTest, ButtonOpensItsMenuWithTheDrivesNotYetExcluded) {
  AddDrive(L'e', L"USBSTICK");
  AddDrive(L'f', L"BACKUP");
  AddDrive(L'g', L"");
  State().ExcludedDrives.Add(L"F:\\");

  for (int opening = 0; opening < 2; ++opening) {
    Click(L"btexcludeDisk");
    EXPECT_EQ(MenuEntries(C(L"PopupMenu2")), (std::vector<MenuEntry>{{L"USBSTICK (E:\\)", 0}, {L" (G:\\)", 2}}));
  }
  EXPECT_TRUE(observer.Heard(L"PopupMenu2", TProperty::Popup));
  EXPECT_EQ(C(L"btexcludeDisk").Tag(), -1);
  EXPECT_TRUE(system.MessageBoxes().empty());
}

TEST_F(ToolsExclusionTest, OnlyYesExcludesThePickedDrive) {
  AddDrive(L'e', L"USBSTICK");
  struct Case {
    int answer;
    bool excluded;
  };
  for (Case c : {Case{kIdNo, false}, Case{kIdCancel, false}, Case{kIdYes, true}}) {
    SCOPED_TRACE(c.answer);
    ExcludeThroughMenu(L"USBSTICK (E:\\)", c.answer);
    EXPECT_EQ(State().ExcludedDrives.Snapshot(),
              c.excluded ? std::vector<std::wstring>{L"e:\\"} : std::vector<std::wstring>{});
  }
  ASSERT_EQ(system.MessageBoxes().size(), 3u);
  const MessageBoxCall box = system.MessageBoxes()[0];
  EXPECT_EQ(box.text, FormatText(MsgExcludeDriveWarning, {std::wstring(L"e:\\")}));
  EXPECT_NE(box.text.find(L"disk e:\\ from"), std::wstring::npos);
  EXPECT_EQ(box.caption, L"Confirmation");
  EXPECT_EQ(box.type, kMbYesNoCancel);
}

TEST_F(ToolsExclusionTest, ExcludingGivesTheDriveItsSetAsideAutorunFileBack) {
  DriveFixture drive;
  AddDrive(drive.letter(), L"USBSTICK");
  drive.WriteFile(L"autorun.inf.ren", "[autorun]\r\n");
  ExcludeThroughMenu(L"USBSTICK (" + ToUpper(drive.root()) + L")", kIdYes);
  EXPECT_EQ(drive.Read(L"autorun.inf"), "[autorun]\r\n");
  EXPECT_FALSE(drive.Exists(L"autorun.inf.ren"));
  EXPECT_TRUE(State().ExcludedDrives.Contains(drive.root()));
}

TEST_F(ToolsExclusionTest, AnEntryWhoseDriveLeftDoesNothing) {
  AddDrive(L'e', L"FIRST");
  AddDrive(L'f', L"SECOND");
  Click(L"btexcludeDisk");
  State().DriveList.Delete(0);
  for (const auto& child : C(L"PopupMenu2").Children()) child->OnClick(*child);
  EXPECT_TRUE(system.MessageBoxes().empty());
  EXPECT_EQ(State().ExcludedDrives.Count(), 0);
}

TEST_F(ToolsExclusionTest, OptionListTicksExcludeAndClearsReinclude) {
  AddDrive(L'e');
  AddDrive(L'f');
  State().ExcludedDrives.Add(L"f:\\");
  ShowOptions();

  Tick(0, true);
  EXPECT_EQ(State().ExcludedDrives.Snapshot(), (std::vector<std::wstring>{L"f:\\", L"E:\\"}));
  // A click that changes nothing adds nothing.
  Tick(0, true);
  EXPECT_EQ(State().ExcludedDrives.Count(), 2);

  Tick(1, false);
  EXPECT_EQ(State().ExcludedDrives.Snapshot(), std::vector<std::wstring>{L"E:\\"});
  Tick(0, false);
  EXPECT_EQ(State().ExcludedDrives.Count(), 0);

  panel->refreshBt();
  EXPECT_EQ(C(L"ListView3").RowCount(), 2);
}

TEST_F(ToolsExclusionTest, ADriveExcludedTwiceAndClearedOnceStaysExcluded) {
  AddDrive(L'e', L"USBSTICK");
  Click(L"btexcludeDisk");
  // The entry does not look whether its drive is excluded already.
  TComponent& entry = *C(L"PopupMenu2").Children().at(0);
  for (int time = 0; time < 2; ++time) {
    system.QueueAnswer(kIdYes);
    entry.OnClick(entry);
  }
  ASSERT_EQ(State().ExcludedDrives.Snapshot(), (std::vector<std::wstring>{L"e:\\", L"e:\\"}));

  ShowOptions();
  ASSERT_TRUE(C(L"ListView5").RowChecked(0));
  Tick(0, false);
  EXPECT_EQ(State().ExcludedDrives.Snapshot(), std::vector<std::wstring>{L"e:\\"});

  ShowOptions();
  EXPECT_TRUE(C(L"ListView5").RowChecked(0));
  Tick(0, false);
  EXPECT_EQ(State().ExcludedDrives.Count(), 0);
}

// Drives that come and go while the options page is shown are in its list at once,
// each with its exclusion; on another page the list waits to be shown again.
TEST_F(ToolsExclusionTest, TheOptionsListFollowsArrivalsAndRemovalsWhileShown) {
  AddDrive(L'e', L"STICK");
  C(L"PageControl1").SetActivePage(L"TabSheet5");
  ShowOptions();
  ASSERT_EQ(C(L"ListView5").RowCount(), 1);

  State().ExcludedDrives.Add(L"f:\\");
  AddDrive(L'f', L"BACKUP");
  panel->refreshBt();  // what an arrival's refresh does
  TComponent& view = C(L"ListView5");
  ASSERT_EQ(view.RowCount(), 2);
  EXPECT_EQ(view.Rows()[1].Caption, L"F:\\");
  EXPECT_TRUE(view.Rows()[1].Checked);
  EXPECT_FALSE(view.Rows()[0].Checked);

  State().DriveList.Delete(0);
  panel->refreshBt();
  ASSERT_EQ(view.RowCount(), 1);
  EXPECT_EQ(view.Rows()[0].Caption, L"F:\\");

  C(L"PageControl1").SetActivePage(L"TabSheet1");
  AddDrive(L'g', L"OTHER");
  panel->refreshBt();
  EXPECT_EQ(view.RowCount(), 1);
}

}  // namespace dw::test
