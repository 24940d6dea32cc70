#include <gtest/gtest.h>

#include "tools_fixture.h"

namespace dw::test {

namespace {

bool IsSafeOpen(const ShellCall& call, const std::wstring& root) {
  return call.owner == OwnerWindow::Application && call.verb == L"open" && call.file == root &&
         call.parameters.empty() && call.directory.empty() && call.show == kSwShowNormal;
}

}  // namespace

class ToolsPanelTest : public ToolsFixture {
 protected:
  void DoubleClickDrives() {
    TComponent& view = C(L"ListView3");
    ASSERT_TRUE(view.OnDblClick);
    view.OnDblClick(view);
  }
};

TEST_F(ToolsPanelTest, SafeOpenFromTheToolsPageOpensTheRootInCapitals) {
  AddDrive(L'd', L"OTHER");
  AddDrive(L'e');
  for (int way = 0; way < 2; ++way) {
    SelectToolDrive(L"E:\\");
    if (way == 0) {
      Click(L"safeopenbt");
    } else {
      DoubleClickDrives();
    }
    EXPECT_EQ(State().WorkThreads.Count(), 1);
    ASSERT_TRUE(WaitForTools());
    ASSERT_EQ(system.ShellCalls().size(), static_cast<size_t>(way + 1));
    EXPECT_TRUE(IsSafeOpen(system.ShellCalls().back(), L"E:\\"));
  }
  // A hidden control panel stays as it is.
  EXPECT_FALSE(panel->Visible());
  EXPECT_EQ(panel->WindowState(), TWindowState::Normal);
  EXPECT_TRUE(notifications.empty());
}

TEST_F(ToolsPanelTest, SafeOpenFromTheTrayOpensTheLowerCaseRootAndMinimisesAShownPanel) {
  AddDrive(L'e');
  panel->Show();
  PickTrayEntry(L"safeopen_m", L"USBSTICK (E:\\)");
  EXPECT_EQ(State().WorkThreads.Count(), 0);  // not registered
  ASSERT_TRUE(Pump([&] { return panel->WindowState() == TWindowState::Minimized; }));
  ASSERT_EQ(system.ShellCalls().size(), 1u);
  EXPECT_TRUE(IsSafeOpen(system.ShellCalls()[0], L"e:\\"));
  EXPECT_TRUE(notifications.empty());
}

TEST_F(ToolsPanelTest, RepairButtonOpensItsMenuEvenWithoutASelection) {
  AddDrive(L'e');
  panel->refreshBt();
  Click(L"btToolChangeAttribute");
  EXPECT_TRUE(observer.Heard(L"PopupMenu3", TProperty::Popup));
  EXPECT_EQ(State().WorkThreads.Count(), 0);
  EXPECT_TRUE(system.MessageBoxes().empty());
}

TEST_F(ToolsPanelTest, ToolCommandsDoNothingWithoutASelectedDrive) {
  AddDrive(L'e');
  AddDrive(L'f');  // one drive alone is picked for the user
  panel->refreshBt();
  ASSERT_EQ(C(L"ListView3").SelectedRow(), -1);
  for (const wchar_t* name : {L"ChangeFoldersAttr_m", L"ChangeFilesAttr_m", L"btToolProtectionFolder", L"safeopenbt"}) {
    Click(name);
    EXPECT_EQ(TToolThread::Alive(), 0) << WideToUtf8(name);
  }
  DoubleClickDrives();
  EXPECT_EQ(TToolThread::Alive(), 0);
  EXPECT_TRUE(system.MessageBoxes().empty());
  EXPECT_TRUE(system.ShellCalls().empty());
}

// The commands act on the picked drive: greyed out without one; a single drive is
// picked for the user, and a pick survives the page's refills.
TEST_F(ToolsPanelTest, TheCommandsAreGreyedOutUntilADriveIsPicked) {
  auto enabled = [&] {
    std::vector<bool> states;
    for (const wchar_t* name : {L"btToolChangeAttribute", L"btToolProtectionFolder", L"safeopenbt"}) {
      states.push_back(C(name).Enabled());
    }
    return states;
  };
  const std::vector<bool> none(3, false), all(3, true);
  panel->refreshBt();
  EXPECT_EQ(enabled(), none);

  AddDrive(L'e');
  panel->refreshBt();
  EXPECT_EQ(panel->SelectedToolDrive(), L"E:\\");
  EXPECT_EQ(enabled(), all);

  AddDrive(L'd', L"OTHER");
  panel->refreshBt();
  EXPECT_EQ(panel->SelectedToolDrive(), L"E:\\");  // kept across the refill
  EXPECT_EQ(enabled(), all);

  TComponent& drives = C(L"ListView3");
  drives.SetSelectedRow(-1);
  drives.OnChange(drives);
  EXPECT_EQ(enabled(), none);
  panel->refreshBt();
  EXPECT_EQ(enabled(), none);
  drives.SetSelectedRow(0);
  drives.OnChange(drives);
  EXPECT_EQ(enabled(), all);
}

TEST_F(ToolsPanelTest, TrayEntriesOfADriveThatLeftDoNothing) {
  AddDrive(L'e', L"FIRST");
  AddDrive(L'f', L"SECOND");
  State().AntivirusCommandLine = L"av.exe %s";
  TComponent& menu = C(L"PopupMenu1");
  menu.OnPopup(menu);
  // E leaves: its entries' position now holds F, and F's position holds nothing.
  State().DriveList.Delete(0);
  for (const wchar_t* item : {L"resetfolder_m", L"resetfile_m", L"safeopen_m", L"Antivirusscan_m"}) {
    ASSERT_EQ(C(item).Children().size(), 2u);
    for (const auto& child : C(item).Children()) child->OnClick(*child);
    EXPECT_EQ(TToolThread::Alive(), 0) << WideToUtf8(item);
  }
  EXPECT_EQ(State().WorkThreads.Count(), 0);
  EXPECT_TRUE(system.MessageBoxes().empty());
  EXPECT_TRUE(system.ShellCalls().empty());
}

}  // namespace dw::test
