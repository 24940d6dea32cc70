#include <gtest/gtest.h>

#include "devices/DrivePass.h"
#include "support/PanelFixture.h"

namespace dw::test {

namespace {

constexpr int64_t kMiB = 1048576;

}  // namespace

using PanelDrivesTest = PanelFixture;

TEST_F(PanelDrivesTest, DrivePassTakesRemovableDrivesAndUsbDisksAndScansThoseNotExcluded) {
  FakeVolume internal{.driveType = kDriveFixed, .busType = 11};
  FakeVolume cdrom{.driveType = kDriveCdRom, .busType = 0};
  FakeVolume stick{.driveType = kDriveRemovable, .busType = 7, .info = {L"USBSTICK", L"FAT32", 0xABCD, 255, 6}};
  FakeVolume usbDisk{.driveType = kDriveFixed, .busType = 7, .info = {L"USBDISK", L"NTFS", 42, 255, 3}};
  FakeVolume emptyReader{.driveType = kDriveRemovable, .busType = 7, .hasMedium = false};
  FakeVolume network{.driveType = kDriveRemote, .busType = 0};
  FakeVolume excluded{.driveType = kDriveRemovable, .busType = 7, .info = {L"BACKUP", L"FAT32", 7, 255, 0}};
  volumes.Add(L'c', internal);
  volumes.Add(L'd', cdrom);
  volumes.Add(L'e', stick);
  volumes.Add(L'f', usbDisk);
  volumes.Add(L'g', emptyReader);
  volumes.Add(L'h', network);
  volumes.Add(L'i', excluded);
  State().ExcludedDrives.Add(L"I:\\");

  std::vector<std::wstring> steps;
  TDrivePassHooks hooks;
  hooks.Refresh = [&] { steps.push_back(L"refresh " + std::to_wstring(State().DriveList.Count())); };
  hooks.StartScan = [&](const PdiskInfo& drive) { steps.push_back(L"scan " + drive->root); };
  EnumerateDrives(hooks);

  EXPECT_EQ(steps, (std::vector<std::wstring>{L"refresh 1", L"scan e:\\", L"refresh 2", L"scan f:\\", L"refresh 3"}));
  std::vector<PdiskInfo> drives = State().DriveList.Snapshot();
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[0]->root, L"e:\\");
  EXPECT_EQ(drives[0]->DeviceID, L"69");
  EXPECT_EQ(drives[0]->devicetype, 2);
  EXPECT_EQ(drives[0]->VolName, L"USBSTICK");
  EXPECT_EQ(drives[0]->FileSysName, L"FAT32");
  EXPECT_EQ(drives[0]->VolSerial, 0xABCDu);
  EXPECT_EQ(drives[0]->FileMaxLen, 255u);
  EXPECT_EQ(drives[0]->FileFlags, 6u);
  EXPECT_EQ(drives[1]->root, L"f:\\");
  EXPECT_EQ(drives[1]->devicetype, 3);
  EXPECT_EQ(drives[1]->FileSysName, L"NTFS");
  EXPECT_EQ(drives[2]->root, L"i:\\");
  EXPECT_EQ(drives[2]->VolName, L"BACKUP");
}

TEST_F(PanelDrivesTest, SizesAreWholeMegabytesGroupedByThousands) {
  struct Case {
    int64_t bytes;
    const wchar_t* text;
  };
  for (Case c : {Case{-1, L"0 Mo"}, Case{0, L"0 Mo"}, Case{kMiB - 1, L"0 Mo"}, Case{kMiB, L"1 Mo"},
                 Case{999 * kMiB + kMiB - 1, L"999 Mo"}, Case{1000 * kMiB, L"1 000 Mo"},
                 Case{1234567 * kMiB, L"1 234 567 Mo"}}) {
    EXPECT_EQ(FormatMegabytes(c.bytes), c.text) << c.bytes;
  }
  SetThousandsSeparator(L".");
  EXPECT_EQ(FormatMegabytes(15258 * kMiB), L"15.258 Mo");
}

TEST_F(PanelDrivesTest, DriveRowsShowRootLabelAndSizes) {
  AddDrive(L'e', L"USBSTICK", {.total = 16000000000, .freeBytes = kMiB - 1});
  AddDrive(L'f', L"GONE", {.hasMedium = false});
  AddDrive(L'g', L"", {.total = 3 * 1024 * 1024 * kMiB, .freeBytes = 2 * kMiB});
  State().ExcludedDrives.Add(L"g:\\");

  TComponent& view = C(L"ListView5");
  FillDriveListView(State().DriveList, view, false);
  const std::vector<TListRow> all = {
      {L"E:\\", {L"USBSTICK", L"15 258 Mo", L"0 Mo"}},
      {L"F:\\", {L"GONE", L"0 Mo", L"0 Mo"}},
      {L"G:\\", {L"", L"3 145 728 Mo", L"2 Mo"}},
  };
  EXPECT_EQ(view.Rows(), all);

  view.ClearRows();
  FillDriveListView(State().DriveList, view, true);
  EXPECT_EQ(view.Rows(), (std::vector<TListRow>{all[0], all[1]}));
}

TEST_F(PanelDrivesTest, DriveMenuIsRebuiltWithCaptionsTagsAndTheHandler) {
  AddDrive(L'e', L"USBSTICK");
  AddDrive(L'f', L"BACKUP");
  AddDrive(L'g', L"");
  State().ExcludedDrives.Add(L"F:\\");
  TComponent& menu = C(L"PopupMenu2");
  menu.AddChild(L"stale", 9, nullptr);

  std::vector<int> clicked;
  BuildDriveMenu(State().DriveList, menu, [&](TComponent& sender) { clicked.push_back(sender.Tag()); });

  ASSERT_EQ(menu.Children().size(), 2u);
  EXPECT_EQ(menu.Children()[0]->Caption(), L"USBSTICK (E:\\)");
  EXPECT_EQ(menu.Children()[0]->Tag(), 0);
  EXPECT_EQ(menu.Children()[1]->Caption(), L" (G:\\)");
  EXPECT_EQ(menu.Children()[1]->Tag(), 2);
  EXPECT_EQ(menu.Children()[1]->Kind(), TComponentKind::MenuItem);
  for (const auto& child : menu.Children()) child->OnClick(*child);
  EXPECT_EQ(clicked, (std::vector<int>{0, 2}));
}

}  // namespace dw::test
