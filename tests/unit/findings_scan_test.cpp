#include <algorithm>

#include "findings_fixture.h"
#include "state/Elevation.h"
#include "support/ForwardingFileSystem.h"
#include "support/PulledOutFs.h"

namespace dw::test {

namespace {

// A findings row as the view shows it: its reason in the last column and, in full
// with the path, in the row's tip.
TListRow Row(const std::wstring& name, const std::wstring& kind, const std::wstring& path, const std::wstring& reason) {
  return {name, {kind, path, reason}, false, reason + L"\n" + path};
}

}  // namespace

namespace {

using FindingsScan = FindingsFixture;

std::wstring Title(const std::wstring& label, const DriveFixture& drive) { return label + L" (" + drive.root() + L")"; }

TEST_F(FindingsScan, ASilentRunThatListsAFindingBringsThePanelUpOnItsFirstPage) {
  DriveFixture drive;
  drive.WriteFile(L"x.exe", "MZ", kHiddenSystem);
  PdiskInfo record = AddFixtureDrive(drive);
  C(L"PageControl1").SetActivePage(L"TabSheet4");
  panel->SetWindowState(TWindowState::Minimized);
  ASSERT_FALSE(panel->Visible());

  ScanSilently(record);

  EXPECT_TRUE(panel->Visible());
  EXPECT_EQ(panel->WindowState(), TWindowState::Normal);
  EXPECT_EQ(C(L"PageControl1").ActivePage(), L"TabSheet1");
  const std::wstring path = drive.Path(L"x.exe");
  EXPECT_EQ(C(L"ListView1").Rows(),
            (std::vector<TListRow>{Row(L"x.exe", MsgKindSuspect, path, MsgWhyHiddenSystemProgram)}));
  EXPECT_EQ(LogText(), (std::vector<std::wstring>{L"scan/start " + drive.root(), L"Menace/riskFile " + path,
                                                  L"scan/end " + drive.root()}));
  EXPECT_EQ(notifications, (std::vector<Notification>{{Title(L"USBSTICK", drive), MsgThreatsDetected, 1}}));
  // A silent run leaves the scan controls alone.
  EXPECT_TRUE(C(L"scanBt").Visible());
  EXPECT_FALSE(C(L"stopscanbt").Visible());
  EXPECT_EQ(C(L"Shape1").Color(), kClRed);
}

// A drive attached while the protection was off was never scanned: switching it
// on scans it, and the headline gives no all-clear until that scan has ended. A
// scan asked for while it is off says why nothing happens.
TEST_F(FindingsScan, SwitchingTheProtectionOnScansTheDrivesAttachedMeanwhile) {
  DriveFixture drive;
  DriveFixture excluded{1};
  drive.WriteFile(L"autorun.inf", "[autorun]\r\nopen=setup.exe\r\n");
  drive.WriteFile(L"setup.exe", "MZ");
  excluded.WriteFile(L"autorun.inf", "[autorun]\r\nopen=other.exe\r\n");
  AddFixtureDrive(drive);
  AddFixtureDrive(excluded, L"OTHER");
  State().ExcludedDrives.Add(excluded.root());
  State().ProtectionEnabled = false;
  panel->refreshBt();
  EXPECT_EQ(C(L"Label8").Caption(), MsgSystemUnprotected);

  Click(L"scanBt");
  EXPECT_EQ(State().WorkThreads.Count(), 0);
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_EQ(notifications[0].msg, MsgProtectionOffNoScan);

  notifications.clear();
  const int before = view.finished;
  Click(L"cprotectionControl");
  EXPECT_EQ(C(L"Label8").Caption(), MsgScanningDrives);
  Pump([&] { return view.finished > before; });
  EXPECT_EQ(view.finished, before + 1);  // the excluded drive is not scanned
  EXPECT_TRUE(State().ThreatList.Contains(drive.root() + L"setup.exe"));
  EXPECT_TRUE(excluded.Exists(L"autorun.inf"));
  EXPECT_EQ(C(L"Label8").Caption(), MsgThreatsDetected);
}

// A clean drive: the all-clear comes once its scan has ended.
TEST_F(FindingsScan, TheAllClearWaitsForTheScansOfSwitchingTheProtectionOn) {
  DriveFixture drive;
  drive.WriteFile(L"Report.docx", "the user's");
  AddFixtureDrive(drive);
  State().ProtectionEnabled = false;
  std::wstring headlineWhenStarted;
  view.onStarted = [&](TScanThread&) { headlineWhenStarted = C(L"Label8").Caption(); };
  const int before = view.finished;
  panel->EnableProtection();
  Pump([&] { return view.finished > before; });
  EXPECT_EQ(headlineWhenStarted, MsgScanningDrives);
  EXPECT_EQ(C(L"Label8").Caption(), MsgNoThreatDetected);
}

// The panel open on another page: a new finding brings the findings page up.
TEST_F(FindingsScan, AFindingShowsTheFindingsPageOfAnOpenPanel) {
  DriveFixture drive;
  drive.WriteFile(L"x.exe", "MZ", kHiddenSystem);
  PdiskInfo record = AddFixtureDrive(drive);
  panel->Show();
  C(L"PageControl1").SetActivePage(L"TabSheet5");
  ScanSilently(record);
  EXPECT_TRUE(panel->Visible());
  EXPECT_EQ(C(L"PageControl1").ActivePage(), L"TabSheet1");
}

TEST_F(FindingsScan, OneRowPerPathAndKindHoweverOftenItIsReported) {
  DriveFixture drive;
  // run.exe is an autorun target (a threat) and a hidden system program (suspicious).
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\n");
  drive.WriteFile(L"run.exe", "MZ", kHiddenSystem);
  drive.WriteFile(L"x.exe", "MZ", kHiddenSystem);
  PdiskInfo record = AddFixtureDrive(drive);
  ScanSilently(record);
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\n");
  ScanSilently(record);  // everything again

  const std::wstring run = drive.Path(L"run.exe"), ren = drive.Path(L"autorun.inf.ren"), x = drive.Path(L"x.exe");
  std::vector<TListRow> rows = C(L"ListView1").Rows();
  std::vector<TListRow> expected = {Row(L"run.exe", MsgKindThreat, run, MsgWhyAutorunTarget),
                                    Row(L"autorun.inf.ren", MsgKindThreat, ren, MsgWhyAutorunFile)};
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(std::vector<TListRow>(rows.begin(), rows.begin() + 2), expected);
  // The walk's order among the suspicious files is the file system's.
  std::vector<TListRow> suspicious(rows.begin() + 2, rows.end());
  EXPECT_NE(
      std::find(suspicious.begin(), suspicious.end(), Row(L"run.exe", MsgKindSuspect, run, MsgWhyHiddenSystemProgram)),
      suspicious.end());
  EXPECT_NE(
      std::find(suspicious.begin(), suspicious.end(), Row(L"x.exe", MsgKindSuspect, x, MsgWhyHiddenSystemProgram)),
      suspicious.end());
  ExpectRowsMatchFindingsSeen();
  const std::vector<std::wstring> log = LogText();
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::wstring& e) { return e.rfind(L"Menace/", 0) == 0; }),
            4);

  // Threats are drawn in red: every row whose path is a listed threat.
  TComponent& listView = C(L"ListView1");
  for (int i = 0; i < listView.RowCount(); ++i) {
    TColor expectedColour = listView.Rows()[static_cast<size_t>(i)].SubItems[1] == x ? kClBlack : kClRed;
    EXPECT_EQ(listView.OnCustomDraw(listView, i), expectedColour) << i;
  }
  EXPECT_EQ(listView.OnCustomDraw(listView, listView.RowCount()), kClBlack);
}

TEST_F(FindingsScan, RowsFollowFindingsSeenWhenAnotherRunsStepComesLater) {
  DriveFixture drive;
  drive.WriteFile(L"x.exe", "MZ", kHiddenSystem);
  PdiskInfo record = AddFixtureDrive(drive);
  // Another run has listed y.exe and still waits for its turn on the window thread.
  const std::wstring pending = L"q:\\y.exe";
  State().RiskList.Add(pending);
  State().FindingsSeen.Add(pending);

  ScanSilently(record);
  EXPECT_EQ(C(L"ListView1").Rows(),
            (std::vector<TListRow>{{L"y.exe", {MsgKindSuspect, pending, L""}},
                                   Row(L"x.exe", MsgKindSuspect, drive.Path(L"x.exe"), MsgWhyHiddenSystemProgram)}));
  ExpectRowsMatchFindingsSeen();
}

TEST_F(FindingsScan, ARebuiltViewGivesARowThatIsNoLongerListedNoType) {
  const std::wstring threat = L"q:\\run.exe", gone = L"q:\\old.exe", suspect = L"q:\\x.exe";
  for (const std::wstring& path : {threat, gone, suspect}) State().FindingsSeen.Add(path);
  State().ThreatList.Add(threat);
  State().RiskList.Add(suspect);
  panel->RefreshFindingsView(0);
  EXPECT_EQ(C(L"ListView1").Rows(), (std::vector<TListRow>{{L"run.exe", {MsgKindThreat, threat, L""}},
                                                           {L"old.exe", {L"", gone, L""}},
                                                           {L"x.exe", {MsgKindSuspect, suspect, L""}}}));
  TComponent& listView = C(L"ListView1");
  EXPECT_EQ(listView.OnCustomDraw(listView, 0), kClRed);
  EXPECT_EQ(listView.OnCustomDraw(listView, 1), kClBlack);
  EXPECT_EQ(listView.OnCustomDraw(listView, 2), kClBlack);
}

TEST_F(FindingsScan, ACleanDriveIsSaidCleanOnlyWhileNothingIsListed) {
  DriveFixture clean(0), infected(1);
  infected.WriteFile(L"x.exe", "MZ", kHiddenSystem);
  PdiskInfo cleanRecord = AddFixtureDrive(clean, L"CLEAN");
  PdiskInfo infectedRecord = AddFixtureDrive(infected, L"DIRTY");

  ScanSilently(cleanRecord);
  EXPECT_EQ(notifications, (std::vector<Notification>{{Title(L"CLEAN", clean), MsgNoThreatDetected, 0}}));
  notifications.clear();
  ScanSilently(infectedRecord);
  ScanSilently(cleanRecord);
  EXPECT_EQ(notifications, (std::vector<Notification>{{Title(L"DIRTY", infected), MsgThreatsDetected, 1}}));
}

// No copy of one file can be made, so it cannot be disposed of.
class RefusingCopyFs : public ForwardingFileSystem {
 public:
  RefusingCopyFs(FileSystem& inner, std::wstring refused) : ForwardingFileSystem(inner), refused_(std::move(refused)) {}
  bool CopyNew(const std::wstring& from, const std::wstring& to, uint64_t size) override {
    return !EqualsNoCase(from, refused_) && ForwardingFileSystem::CopyNew(from, to, size);
  }

 private:
  std::wstring refused_;
};

// Six worm files disposed of at once by the settings give one pop-up with their
// number, not six; one that could not be is named, and stays listed.
TEST_F(FindingsScan, WhatTheSettingsDisposedOfIsToldInTheDrivesOneNotice) {
  DriveFixture six(0), held(1);
  for (const wchar_t* name : {L"a.scr", L"b.scr", L"c.scr", L"d.scr", L"e.scr", L"f.scr"})
    six.WriteFile(name, "MZ", kHiddenSystem);
  held.WriteFile(L"held.scr", "MZ", kHiddenSystem);
  PdiskInfo sixRecord = AddFixtureDrive(six, L"SIX");
  PdiskInfo heldRecord = AddFixtureDrive(held, L"HELD");
  State().RiskAction = Quarantine;

  ScanSilently(sixRecord);
  EXPECT_EQ(notifications,
            (std::vector<Notification>{{Title(L"SIX", six), FormatText(MsgAutoQuarantinedCount, {int64_t{6}}), 1}}));
  notifications.clear();
  {
    RefusingCopyFs refusing(Fs(), held.Path(L"held.scr"));
    ScopedPlatform guard(Platform{.fs = &refusing});
    system.QueueAnswer(kIdNo);  // the elevation it asks for
    ScanSilently(heldRecord);
  }
  EXPECT_EQ(notifications,
            (std::vector<Notification>{
                {Title(L"HELD", held),
                 FormatText(MsgDisposeFailed, {held.Path(L"held.scr")}) + L"\n" + MsgThreatsDetected, 1}}));
  EXPECT_EQ(State().RiskList.Snapshot(), std::vector<std::wstring>{held.Path(L"held.scr")});
}

TEST_F(FindingsScan, TheScannerButtonRunsAThoroughRegisteredScanAndRestoresTheControls) {
  DriveFixture drive;
  drive.MakeFolder(L"docs");
  drive.MakeFolder(L"docs\\Work", kAttrSystem);
  drive.WriteFile(L"docs\\Work.exe", "MZ");  // found by a thorough scan only
  AddFixtureDrive(drive);
  panel->Show();

  bool checked = false;
  view.onStarted = [&](TScanThread& scan) {
    checked = true;
    EXPECT_EQ(panel->CurrentScan, &scan);
    EXPECT_EQ(State().WorkThreads.Count(), 1);
    EXPECT_FALSE(C(L"scanBt").Visible());
    EXPECT_TRUE(C(L"stopscanbt").Visible());
    EXPECT_TRUE(C(L"stopscanbt").Enabled());
    EXPECT_FALSE(C(L"Scan_m").Enabled());
    EXPECT_EQ(C(L"Label13").Caption(), FormatText(MsgScanning, {MsgThoroughSuffix}));
  };
  Click(L"scanBt");
  WaitForWorkers();

  EXPECT_TRUE(checked);
  EXPECT_EQ(panel->CurrentScan, nullptr);
  EXPECT_EQ(C(L"ListView1").RowCount(), 1);
  EXPECT_TRUE(C(L"scanBt").Visible());
  EXPECT_FALSE(C(L"stopscanbt").Visible());
  EXPECT_TRUE(C(L"Scan_m").Enabled());
  EXPECT_EQ(C(L"Label13").Caption(), FormatText(MsgScanSummary, {int64_t{0}, int64_t{1}}));
  EXPECT_EQ(view.drivesDone, std::vector<std::wstring>{drive.root()});
}

TEST_F(FindingsScan, StopDuringAnAllDrivesRunEndsItAfterTheDriveInHand) {
  DriveFixture first(0), second(1);
  first.WriteFile(L"a.exe", "MZ", kHiddenSystem);
  second.WriteFile(L"b.exe", "MZ", kHiddenSystem);
  AddFixtureDrive(first, L"FIRST");
  AddFixtureDrive(second, L"SECOND");
  State().DriveList.Append(MakeDiskInfo(second.letter()));  // a third record, same medium
  State().DriveList.Get(2)->FileSysName = L"FAT32";

  bool stopped = false;
  view.onFindingAdded = [&](TScanThread&) {
    if (stopped) return;
    stopped = true;
    Click(L"stopscanbt");  // the user stops while the first drive is scanned
    EXPECT_FALSE(C(L"stopscanbt").Enabled());
    EXPECT_EQ(C(L"Label13").Caption(), MsgStoppingScan);
    // The progress no longer overwrites the stop text.
    C(L"progresstimer").OnTimer(C(L"progresstimer"));
    EXPECT_EQ(C(L"Label13").Caption(), MsgStoppingScan);
    // Set until the timer lifts it, without the window thread waiting.
    EXPECT_TRUE(State().StopRequested.load());
    EXPECT_TRUE(C(L"stoptimer").Enabled());
    C(L"stoptimer").OnTimer(C(L"stoptimer"));
    EXPECT_FALSE(State().StopRequested.load());
    EXPECT_FALSE(C(L"stoptimer").Enabled());
  };
  Click(L"scanBt");
  WaitForWorkers();

  EXPECT_TRUE(stopped);
  EXPECT_TRUE(view.drivesDone.empty());
  EXPECT_EQ(State().FindingsSeen.Snapshot(), std::vector<std::wstring>{first.Path(L"a.exe")});
  EXPECT_EQ(notifications, (std::vector<Notification>{{MsgInformationTitle, MsgScanStopped, 0}}));
  EXPECT_EQ(panel->CurrentScan, nullptr);
  EXPECT_TRUE(C(L"scanBt").Visible());
}

TEST_F(FindingsScan, StopLeavesAStopForGoodInPlace) {
  State().StopRequested = true;  // an elevation request or the exit
  Click(L"stopscanbt");
  C(L"stoptimer").OnTimer(C(L"stoptimer"));
  EXPECT_TRUE(State().StopRequested.load());
}

// While a scan the user started runs, the status line tells how far it has got;
// it stops telling once the scan has ended.
TEST_F(FindingsScan, TheStatusLineShowsTheScansProgress) {
  DriveFixture drive;
  drive.MakeFolder(L"docs");
  drive.MakeFolder(L"docs\\Work", kAttrSystem);
  drive.WriteFile(L"docs\\Work.exe", "MZ");
  drive.WriteFile(L"x.exe", "MZ", kHiddenSystem);
  AddFixtureDrive(drive);
  std::vector<std::wstring> shown;
  view.onFindingAdded = [&](TScanThread&) {
    EXPECT_TRUE(C(L"progresstimer").Enabled());
    C(L"progresstimer").OnTimer(C(L"progresstimer"));
    shown.push_back(C(L"Label13").Caption());
  };
  Click(L"scanBt");
  WaitForWorkers();
  ASSERT_EQ(shown.size(), 2u);
  const std::wstring root = ToUpper(drive.root());
  EXPECT_NE(shown[1].find(L" de " + root + L" : "), std::wstring::npos) << WideToUtf8(shown[1]);
  EXPECT_NE(shown[1].find(L", 2 trouvé(s)"), std::wstring::npos) << WideToUtf8(shown[1]);
  EXPECT_FALSE(C(L"progresstimer").Enabled());
  EXPECT_EQ(C(L"Label13").Caption(), FormatText(MsgScanSummary, {int64_t{0}, int64_t{2}}));
}

TEST_F(FindingsScan, ATrayDriveEntryShowsThePanelAndScansThatDriveThoroughly) {
  DriveFixture drive;
  drive.MakeFolder(L"docs");
  drive.MakeFolder(L"docs\\Work", kAttrSystem);
  drive.WriteFile(L"docs\\Work.exe", "MZ");
  AddFixtureDrive(drive);

  TComponent& menu = C(L"Scan_m");
  panel->_Scan(menu);  // the parent entry, tag -1
  EXPECT_FALSE(panel->Visible());
  EXPECT_EQ(view.finished, 0);

  panel->PopupMenu1Popup(C(L"PopupMenu1"));
  ASSERT_EQ(menu.Children().size(), 1u);
  TComponent& entry = *menu.Children()[0];
  view.onStarted = [&](TScanThread&) {
    EXPECT_EQ(C(L"Label13").Caption(),
              FormatText(MsgScanningDrive, {MsgThoroughSuffix, std::wstring(L"USBSTICK"), drive.root()}));
  };
  entry.OnClick(entry);
  EXPECT_TRUE(panel->Visible());
  EXPECT_EQ(State().WorkThreads.Count(), 0);  // not registered
  Pump([&] { return view.finished == 1; });
  EXPECT_EQ(State().RiskList.Snapshot(), std::vector<std::wstring>{drive.Path(L"docs\\Work.exe")});
}

TEST_F(FindingsScan, ADriveWhoseScanCouldNotFinishIsNeverCalledClean) {
  DriveFixture drive;
  drive.MakeFolder(L"docs");
  drive.WriteFile(L"docs\\notes.txt", "x");
  PdiskInfo record = AddFixtureDrive(drive);
  PulledOutFs pulled(Fs(), drive.root(), [&] { volumes.Remove(drive.letter()); });
  ScopedPlatform guard(Platform{.fs = &pulled});
  StartWorker(new TScanThread(true, false, record), &State().WorkThreads);
  WaitForWorkers();
  EXPECT_EQ(notifications, (std::vector<Notification>{{Title(L"USBSTICK", drive), MsgScanIncomplete, 1}}));
  EXPECT_EQ(LogText(), (std::vector<std::wstring>{L"scan/start " + drive.root(), L"scan/incomplete " + drive.root(),
                                                  L"scan/end " + drive.root()}));
}

}  // namespace

}  // namespace dw::test

namespace dw::test {

namespace {

// A rescan of a drive replaces what was listed for it, and the status line after
// a run counts what that run found, not what every run has listed so far.
class FindingsRescan : public FindingsFixture {
 protected:
  void ScanAll() {
    Click(L"scanBt");
    WaitForWorkers();
  }
  // The tray menu's "Analyser" entry of the drive labelled label, run to its end.
  void ScanFromTray(const std::wstring& label, const DriveFixture& drive) {
    TComponent& menu = C(L"PopupMenu1");
    menu.OnPopup(menu);
    for (const auto& entry : C(L"Scan_m").Children()) {
      if (entry->Caption() != label + L" (" + ToUpper(drive.root()) + L")") continue;
      int before = view.finished;
      entry->OnClick(*entry);
      Pump([&] { return view.finished > before; });
      return;
    }
    ADD_FAILURE() << "no scan entry for " << WideToUtf8(label);
  }
  std::wstring Summary(int threats, int suspects) {
    return FormatText(MsgScanSummary, {int64_t{threats}, int64_t{suspects}});
  }
};

TEST_F(FindingsRescan, FindingsOfFilesRemovedMeanwhileLeaveAndTheSummaryCountsThatRun) {
  DriveFixture first(0), second(1);
  first.WriteFile(L"a.exe", "MZ", kHiddenSystem);
  second.WriteFile(L"b.exe", "MZ", kHiddenSystem);
  second.WriteFile(L"c.exe", "MZ", kHiddenSystem);
  AddFixtureDrive(first, L"FIRST");
  AddFixtureDrive(second, L"SECOND");
  panel->Show();
  ScanAll();
  EXPECT_EQ(C(L"Label13").Caption(), Summary(0, 3));

  // Removed by other hands; only the second drive is scanned again.
  ASSERT_TRUE(Fs().Delete(first.Path(L"a.exe")));
  ScanFromTray(L"SECOND", second);
  EXPECT_EQ(C(L"Label13").Caption(), Summary(0, 2));
  EXPECT_TRUE(State().RiskList.Contains(first.Path(L"a.exe")));  // its drive was not looked at

  ASSERT_TRUE(Fs().Delete(second.Path(L"c.exe")));
  ScanAll();
  EXPECT_EQ(C(L"Label13").Caption(), Summary(0, 1));
  EXPECT_EQ(State().RiskList.Snapshot(), std::vector<std::wstring>{second.Path(L"b.exe")});
  EXPECT_EQ(State().FindingsSeen.Snapshot(), std::vector<std::wstring>{second.Path(L"b.exe")});
  ExpectRowsMatchFindingsSeen();
  std::vector<std::wstring> log = LogText();
  for (const std::wstring& gone : {first.Path(L"a.exe"), second.Path(L"c.exe")}) {
    EXPECT_EQ(std::count(log.begin(), log.end(), L"Menace/riskFileNoMore " + gone), 1) << WideToUtf8(gone);
  }
}

TEST_F(FindingsRescan, AQuickRescanKeepsWhatItCannotSeeUnlessItsFileIsGone) {
  DriveFixture drive;
  drive.MakeFolder(L"docs");
  drive.MakeFolder(L"docs\\Work", kAttrSystem);
  drive.WriteFile(L"docs\\Work.exe", "MZ");  // found by a thorough scan only
  drive.WriteFile(L"x.exe", "MZ", kHiddenSystem);
  PdiskInfo record = AddFixtureDrive(drive);
  const std::wstring deep = drive.Path(L"docs\\Work.exe"), x = drive.Path(L"x.exe");
  ScanAll();
  ASSERT_EQ(State().RiskList.Count(), 2);

  ScanSilently(record);
  EXPECT_TRUE(State().RiskList.Contains(deep));
  EXPECT_TRUE(record->Risk.Contains(deep));

  ASSERT_TRUE(Fs().Delete(deep));
  ScanSilently(record);
  EXPECT_EQ(State().RiskList.Snapshot(), std::vector<std::wstring>{x});
  EXPECT_EQ(record->Risk.Snapshot(), std::vector<std::wstring>{x});
  ExpectRowsMatchFindingsSeen();
}

// Set aside at the first scan, an autorun file is no autorun file to the next
// one, nor is its program an autorun target: both are still on the stick, and
// stay listed.
TEST_F(FindingsRescan, AThoroughRescanKeepsWhatIsStillOnTheDrive) {
  DriveFixture drive;
  drive.WriteFile(L"autorun.inf", "[autorun]\r\nopen=setup.exe\r\n");
  drive.WriteFile(L"setup.exe", "MZ");
  AddFixtureDrive(drive);
  ScanAll();
  ASSERT_EQ(State().ThreatList.Count(), 2);
  ScanAll();
  EXPECT_TRUE(State().ThreatList.Contains(drive.Path(L"setup.exe")));
  EXPECT_TRUE(State().ThreatList.Contains(drive.Path(L"autorun.inf.ren")));
  ExpectRowsMatchFindingsSeen();
}

TEST_F(FindingsRescan, AScanThatCouldNotFinishDropsNothing) {
  DriveFixture drive;
  drive.MakeFolder(L"docs");
  drive.MakeFolder(L"docs\\Work", kAttrSystem);
  drive.WriteFile(L"docs\\Work.exe", "MZ");
  AddFixtureDrive(drive);
  ScanAll();
  ASSERT_EQ(State().RiskList.Count(), 1);
  {
    // Pulled out once the root was listed: the walk never reaches docs.
    PulledOutFs pulled(Fs(), drive.root());
    ScopedPlatform guard(Platform{.fs = &pulled});
    ScanAll();
  }
  EXPECT_EQ(State().RiskList.Snapshot(), std::vector<std::wstring>{drive.Path(L"docs\\Work.exe")});
  ExpectRowsMatchFindingsSeen();
}

}  // namespace

}  // namespace dw::test
