#include <gtest/gtest.h>

#include <cwchar>

#include "support/PanelFixture.h"

namespace dw::test {

class PanelTrayMenuTest : public PanelFixture {
 protected:
  void Open() {
    TComponent& menu = C(L"PopupMenu1");
    ASSERT_TRUE(menu.OnPopup);
    menu.OnPopup(menu);
  }
};

TEST_F(PanelTrayMenuTest, DriveEntriesListTheDrivesThatAreNotExcludedWithTheirPositions) {
  AddDrive(L'e', L"USBSTICK");
  AddDrive(L'f', L"BACKUP");
  AddDrive(L'g', L"");
  State().ExcludedDrives.Add(L"f:\\");
  Open();

  const std::vector<MenuEntry> expected = {{L"USBSTICK (E:\\)", 0}, {L" (G:\\)", 2}};
  for (const wchar_t* name : {L"resetfolder_m", L"resetfile_m", L"safeopen_m", L"Scan_m"}) {
    SCOPED_TRACE(std::string(name, name + wcslen(name)));
    EXPECT_TRUE(C(name).Enabled());
    EXPECT_EQ(MenuEntries(C(name)), expected);
    EXPECT_EQ(C(name).Tag(), -1);
    for (const auto& child : C(name).Children()) EXPECT_TRUE(child->OnClick);
  }
}

TEST_F(PanelTrayMenuTest, WithoutDrivesOnlyFileRepairStaysEnabledWithAnEmptySubmenu) {
  Open();
  EXPECT_FALSE(C(L"resetfolder_m").Enabled());
  EXPECT_FALSE(C(L"safeopen_m").Enabled());
  EXPECT_FALSE(C(L"Scan_m").Enabled());
  EXPECT_TRUE(C(L"resetfile_m").Enabled());
  EXPECT_TRUE(C(L"resetfile_m").Children().empty());
}

TEST_F(PanelTrayMenuTest, EachOpeningRebuildsFromTheCurrentDrivesAndExclusions) {
  AddDrive(L'e', L"USBSTICK");
  AddDrive(L'f', L"BACKUP");
  Open();
  EXPECT_EQ(MenuEntries(C(L"Scan_m")), (std::vector<MenuEntry>{{L"USBSTICK (E:\\)", 0}, {L"BACKUP (F:\\)", 1}}));

  State().ExcludedDrives.Add(L"E:\\");
  Open();
  EXPECT_EQ(MenuEntries(C(L"Scan_m")), (std::vector<MenuEntry>{{L"BACKUP (F:\\)", 1}}));

  State().DriveList.Clear();
  Open();
  EXPECT_TRUE(C(L"Scan_m").Children().empty());
  EXPECT_FALSE(C(L"Scan_m").Enabled());
}

TEST_F(PanelTrayMenuTest, AntivirusEntryShowsOnlyWithACommandLine) {
  AddDrive(L'e', L"USBSTICK");
  Open();
  EXPECT_FALSE(C(L"Antivirusscan_m").Visible());

  TComponent& edit = C(L"antiviruscmd_txt");
  edit.SetText(L"av.exe /scan %s");
  edit.OnChange(edit);
  Open();
  EXPECT_TRUE(C(L"Antivirusscan_m").Visible());
  EXPECT_EQ(MenuEntries(C(L"Antivirusscan_m")), (std::vector<MenuEntry>{{L"USBSTICK (E:\\)", 0}}));

  edit.SetText(L"");
  edit.OnChange(edit);
  Open();
  EXPECT_FALSE(C(L"Antivirusscan_m").Visible());
}

}  // namespace dw::test
