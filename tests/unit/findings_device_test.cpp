#include <cstring>
#include <cwctype>

#include "devices/DeviceChange.h"
#include "findings_fixture.h"

namespace dw::test {

namespace {

uint32_t MaskOf(wchar_t letter) {
  return 1u << (static_cast<uint32_t>(std::towupper(static_cast<wint_t>(letter))) - L'A');
}

DeviceBroadcast Volume(uint32_t mask, uint16_t flags = 0) { return {kDbtDevtypVolume, mask, flags}; }

// Device changes with the scan start recorded instead of run.
class DeviceChange : public PanelFixture {
 protected:
  DeviceChange() {
    State().DataFolder = data.path();
    State().Log = std::make_unique<TLogFile>(data.path());
    hooks.Refresh = [this] { ++refreshes; };
    hooks.StartScan = [this](const PdiskInfo& record) {
      // What the scan would find if it read the record at once.
      started.push_back({record, record->root, record->FileSysName, system.tick.load()});
    };
  }
  ~DeviceChange() override { State().Log.reset(); }

  intptr_t Send(uintptr_t wParam, const DeviceBroadcast& header) { return HandleDeviceChange(wParam, header, hooks); }
  std::vector<std::wstring> Roots() {
    std::vector<std::wstring> roots;
    for (const PdiskInfo& record : State().DriveList.Snapshot()) roots.push_back(record->root);
    return roots;
  }

  struct Started {
    PdiskInfo record;
    std::wstring root, fileSystemThen;
    uint32_t tickThen;
  };
  TempFolder data;
  TDeviceChangeHooks hooks;
  std::vector<Started> started;
  int refreshes = 0;
};

TEST_F(DeviceChange, ReadsTheVolumeHeaderAndNothingBeyondOtherHeaders) {
  unsigned char volume[20] = {};
  uint32_t size = 18, type = kDbtDevtypVolume, mask = 0x14;
  uint16_t flags = kDbtfMedia;
  std::memcpy(volume, &size, 4);
  std::memcpy(volume + 4, &type, 4);
  std::memcpy(volume + 12, &mask, 4);
  std::memcpy(volume + 16, &flags, 2);
  DeviceBroadcast read = ReadDeviceBroadcast(volume);
  EXPECT_EQ(read.devicetype, kDbtDevtypVolume);
  EXPECT_EQ(read.unitmask, 0x14u);
  EXPECT_EQ(read.flags, kDbtfMedia);

  unsigned char port[12] = {};  // a shorter header of another device type
  size = 12;
  type = 3;
  std::memcpy(port, &size, 4);
  std::memcpy(port + 4, &type, 4);
  read = ReadDeviceBroadcast(port);
  EXPECT_EQ(read.devicetype, 3u);
  EXPECT_EQ(read.unitmask, 0u);

  read = ReadDeviceBroadcast(nullptr);
  EXPECT_EQ(read.devicetype, 0u);
}

TEST_F(DeviceChange, EachArrivingLetterIsScannedBeforeItsRecordIsCompleteInAlphabeticalOrder) {
  volumes.Add(L'E', {.info = {L"STICK", L"FAT32", 7, 255, 3}});
  volumes.Add(L'G', {.info = {L"CARD", L"exFAT", 9, 255, 0}});
  EXPECT_EQ(Send(kDbtDeviceArrival, Volume(MaskOf(L'G') | MaskOf(L'E'))), 0);

  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[0].root, L"e:\\");
  EXPECT_EQ(started[1].root, L"g:\\");
  // Each scan starts before the pause and the volume information of its drive.
  EXPECT_EQ(started[0].fileSystemThen, L"");
  EXPECT_EQ(started[0].tickThen, 1000u);
  EXPECT_EQ(started[1].tickThen, 2000u);
  EXPECT_EQ(system.tick.load(), 3000u);

  EXPECT_EQ(Roots(), (std::vector<std::wstring>{L"e:\\", L"g:\\"}));
  const diskinfo& e = *State().DriveList.Get(0);
  EXPECT_EQ(State().DriveList.Get(0), started[0].record);
  EXPECT_EQ(e.DeviceID, L"69");
  EXPECT_EQ(e.VolName, L"STICK");
  EXPECT_EQ(e.FileSysName, L"FAT32");
  EXPECT_EQ(e.VolSerial, 7u);
  EXPECT_EQ(e.FileMaxLen, 255u);
  EXPECT_EQ(e.FileFlags, 3u);
  EXPECT_EQ(e.devicetype, 0);
  EXPECT_EQ(refreshes, 2);
}

TEST_F(DeviceChange, OnlyVolumeArrivalsAndRemovalsWithoutFlagsCount) {
  volumes.Add(L'E');
  State().DriveList.Append(MakeDiskInfo(L'F'));
  struct {
    const char* name;
    uintptr_t wParam;
    DeviceBroadcast header;
  } cases[] = {
      {"MediumChanged", kDbtDeviceArrival, Volume(MaskOf(L'E'), kDbtfMedia)},
      {"NetworkVolume", kDbtDeviceArrival, Volume(MaskOf(L'E'), kDbtfNet)},
      {"NotAVolume", kDbtDeviceArrival, {5, MaskOf(L'E'), 0}},
      {"QueryRemove", 0x8001, Volume(MaskOf(L'F'))},
      {"RemovePending", 0x8003, Volume(MaskOf(L'F'))},
      {"MediumRemoved", kDbtDeviceRemoveComplete, Volume(MaskOf(L'F'), kDbtfMedia)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Send(c.wParam, c.header), 0);
  }
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(Roots(), std::vector<std::wstring>{L"f:\\"});
  EXPECT_EQ(refreshes, 0);
  EXPECT_EQ(system.tick.load(), 1000u);
}

TEST_F(DeviceChange, AnUnreadableVolumeIsLoggedAndNotListedButStillScanned) {
  volumes.Add(L'E', {.hasMedium = false, .error = kErrorNotReady});
  Send(kDbtDeviceArrival, Volume(MaskOf(L'E')));
  EXPECT_EQ(started.size(), 1u);
  EXPECT_TRUE(Roots().empty());
  EXPECT_EQ(refreshes, 1);
  std::optional<std::string> log = Fs().ReadAll(State().Log->FileName());
  ASSERT_TRUE(log);
  EXPECT_EQ(system.FromAnsi(*log), system.dateTime + L" error msg " + system.ErrorMessage(kErrorNotReady) + L";");
}

TEST_F(DeviceChange, ALetterThatArrivesWhileStillListedIsListedTwiceAndRemovedOnceAtATime) {
  volumes.Add(L'E');
  Send(kDbtDeviceArrival, Volume(MaskOf(L'E')));
  Send(kDbtDeviceArrival, Volume(MaskOf(L'E')));  // the removal notice was missed
  ASSERT_EQ(Roots(), (std::vector<std::wstring>{L"e:\\", L"e:\\"}));
  PdiskInfo second = State().DriveList.Get(1);

  Send(kDbtDeviceRemoveComplete, Volume(MaskOf(L'E')));
  EXPECT_EQ(State().DriveList.Snapshot(), std::vector<PdiskInfo>{second});
  EXPECT_EQ(refreshes, 3);
  Send(kDbtDeviceRemoveComplete, Volume(MaskOf(L'E') | MaskOf(L'Q')));  // q: was never listed
  EXPECT_TRUE(Roots().empty());
  EXPECT_EQ(refreshes, 4);
}

using DeviceChangeOnPanel = FindingsFixture;

TEST_F(DeviceChangeOnPanel, AStickArrivesIsScannedAndLeaves) {
  DriveFixture drive;
  volumes.Add(drive.letter(), {.info = {L"STICK", L"FAT32", 1, 255, 0}});
  drive.WriteFile(L"x.exe", "MZ", kHiddenSystem);

  EXPECT_EQ(panel->WMDeviceChange(kDbtDeviceArrival, Volume(MaskOf(drive.letter()))), 0);
  EXPECT_EQ(State().DriveList.Count(), 1);
  ASSERT_EQ(C(L"ListView3").RowCount(), 1);
  EXPECT_EQ(C(L"ListView3").Rows()[0].Caption, ToUpper(drive.root()));
  EXPECT_EQ(State().WorkThreads.Count(), 0);  // the arrival's scan is not registered

  Pump([&] { return view.finished == 1; });
  EXPECT_EQ(State().RiskList.Snapshot(), std::vector<std::wstring>{drive.Path(L"x.exe")});
  EXPECT_EQ(notifications, (std::vector<Notification>{{L"STICK (" + drive.root() + L")", MsgThreatsDetected, 1}}));

  panel->WMDeviceChange(kDbtDeviceRemoveComplete, Volume(MaskOf(drive.letter())));
  EXPECT_EQ(State().DriveList.Count(), 0);
  EXPECT_EQ(C(L"ListView3").RowCount(), 0);
  // Its findings leave with it: nothing of it can be disposed of any more, and its
  // next arrival scans it again.
  EXPECT_EQ(State().RiskList.Count(), 0);
  EXPECT_EQ(State().FindingsSeen.Count(), 0);
  EXPECT_EQ(C(L"ListView1").RowCount(), 0);
  EXPECT_EQ(C(L"Label8").Caption(), MsgNoUsbDrive);
  EXPECT_EQ(LogText().back(), L"Menace/driveRemoved " + drive.Path(L"x.exe"));
}

TEST_F(DeviceChangeOnPanel, ADriveRemovedDuringItsScanIsScannedToTheEnd) {
  DriveFixture drive;
  volumes.Add(drive.letter(), {.info = {L"STICK", L"FAT32", 1, 255, 0}});
  drive.WriteFile(L"x.exe", "MZ", kHiddenSystem);

  panel->WMDeviceChange(kDbtDeviceArrival, Volume(MaskOf(drive.letter())));
  PdiskInfo record = State().DriveList.Get(0);
  panel->WMDeviceChange(kDbtDeviceRemoveComplete, Volume(MaskOf(drive.letter())));
  EXPECT_EQ(State().DriveList.Count(), 0);

  Pump([&] { return view.finished == 1; });
  EXPECT_EQ(record->Risk.Snapshot(), std::vector<std::wstring>{drive.Path(L"x.exe")});
  EXPECT_EQ(view.drivesDone, std::vector<std::wstring>{drive.root()});
}

}  // namespace

}  // namespace dw::test
