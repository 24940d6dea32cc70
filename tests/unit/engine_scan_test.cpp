#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "common/Text.h"
#include "engine/disposal.h"
#include "engine/quarantine.h"
#include "engine/rules.h"
#include "loc/LangLocStrings.h"
#include "support/ForwardingFileSystem.h"
#include "support/ScanHarness.h"

namespace dw::test {

namespace {

constexpr uint32_t kHiddenSystem = kAttrHidden | kAttrSystem;

void InfectWithAutorun(DriveFixture& d) {
  d.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\n");
  d.WriteFile(L"run.exe", "MZ-payload");
}

TEST(ScanRun, DeleteActionDisposesOfEverythingAndListsNothing) {
  DriveFixture drive;
  ScanHarness h;
  InfectWithAutorun(drive);
  State().ThreatAction = Delete;
  EXPECT_EQ(h.Scan(h.Drive(drive)), 2);

  EXPECT_FALSE(drive.Exists(L"run.exe"));
  EXPECT_FALSE(drive.Exists(L"autorun.inf.ren"));
  EXPECT_TRUE(h.view.added.empty());
  EXPECT_EQ(State().ThreatList.Count() + State().FindingsSeen.Count(), 0);
  // Told once, with the drive, not once per file.
  EXPECT_TRUE(h.notices.empty());
  EXPECT_EQ(h.view.lastDisposals.deleted, 2);
  EXPECT_EQ(AutoDisposalText(h.view.lastDisposals), FormatText(MsgAutoDeletedCount, {int64_t{2}}));
  EXPECT_EQ(h.LogText(), (std::vector<std::wstring>{
                             L"scan/start " + drive.root(), L"delete/AutoAction " + drive.Path(L"run.exe"),
                             L"delete/AutoAction " + drive.Path(L"autorun.inf.ren"), L"scan/end " + drive.root()}));
  EXPECT_EQ(Fs().ReadAll(QuarantineFolder() + L"run.exe.quarantine"), "MZ-payload");
  EXPECT_EQ(ReadQuarantineInfo(QuarantineFolder() + L"run.exe.quarantine"), drive.Path(L"run.exe"));
}

// What the drive's notice says of the settings' work: one file by its path and what
// it did, several by their number; the verb is the action's.
TEST(ScanRun, TheDrivesNoticeSaysWhatTheSettingsDidInTheActionsWords) {
  struct Case {
    const char* name;
    int riskAction;
    std::vector<const wchar_t*> files;
    std::wstring (*expected)(const DriveFixture&);
  };
  const std::wstring why = MsgWhyHiddenSystemProgram;
  const Case cases[] = {
      {"OneQuarantined",
       Quarantine,
       {L"x.scr"},
       [](const DriveFixture& d) { return FormatText(MsgFileQuarantined, {d.Path(L"x.scr")}); }},
      {"OneDeleted",
       Delete,
       {L"x.scr"},
       [](const DriveFixture& d) { return MsgSuspectDeleted + L"\n" + d.Path(L"x.scr"); }},
      {"ThreeQuarantined",
       Quarantine,
       {L"x.scr", L"y.scr", L"z.scr"},
       [](const DriveFixture&) { return FormatText(MsgAutoQuarantinedCount, {int64_t{3}}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DriveFixture drive;
    ScanHarness h;
    for (const wchar_t* name : c.files) drive.WriteFile(name, "scr", kHiddenSystem);
    State().RiskAction = c.riskAction;
    h.Scan(h.Drive(drive));
    for (const wchar_t* name : c.files) EXPECT_FALSE(drive.Exists(name));
    std::wstring expected = c.expected(drive);
    if (c.files.size() == 1) expected += L"\n" + why;
    EXPECT_EQ(AutoDisposalText(h.view.lastDisposals), expected);
    EXPECT_TRUE(h.notices.empty());
  }
}

TEST(ScanRun, UnknownActionNeitherListsNorDisposes) {
  DriveFixture drive;
  ScanHarness h;
  InfectWithAutorun(drive);
  State().ThreatAction = 5;
  h.Scan(h.Drive(drive));
  EXPECT_TRUE(drive.Exists(L"run.exe"));
  EXPECT_TRUE(h.view.added.empty());
  EXPECT_TRUE(h.notices.empty());
}

TEST(ScanRun, ListedFindingsAreLoggedOncePerPathAndKind) {
  DriveFixture drive;
  ScanHarness h;
  // run.exe is an autorun target (threat) and a hidden system program (suspicious).
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\n");
  drive.WriteFile(L"run.exe", "MZ", kHiddenSystem);
  PdiskInfo record = h.Drive(drive);
  h.Scan(record);
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\n");
  h.Scan(record);  // a second run reports the same paths again

  std::wstring run = drive.Path(L"run.exe"), ren = drive.Path(L"autorun.inf.ren");
  EXPECT_EQ(h.FindingsSeen(), (std::vector<std::wstring>{run, ren, run}));
  EXPECT_EQ(State().ThreatList.Snapshot(), (std::vector<std::wstring>{run, ren}));
  EXPECT_EQ(State().RiskList.Snapshot(), std::vector<std::wstring>{run});
  EXPECT_EQ(record->threat.Count(), 2);
  EXPECT_EQ(record->Risk.Count(), 1);
  EXPECT_EQ(h.view.added.size(), 3u);
}

TEST(ScanRun, WaitsForADriveThatBecomesReady) {
  struct {
    int notReadyChecks;
    bool scanned;
  } cases[] = {{0, true}, {4, true}, {5, true}, {6, false}};
  for (const auto& c : cases) {
    DriveFixture drive;
    ScanHarness h;
    drive.WriteFile(L"x.exe", "", kHiddenSystem);
    PdiskInfo record = h.Drive(drive);
    FakeVolume volume;
    volume.notReadyChecks = c.notReadyChecks;
    h.volumes.Add(drive.root()[0], volume);
    EXPECT_EQ(h.Scan(record) == 1, c.scanned) << c.notReadyChecks;
    EXPECT_EQ(h.volumes.ReadinessChecks(drive.root()[0]), std::min(c.notReadyChecks + 1, 6));
  }
}

TEST(ScanRun, SkipsWithoutFileSystemOrProtection) {
  DriveFixture drive;
  ScanHarness h;
  drive.WriteFile(L"x.exe", "", kHiddenSystem);
  PdiskInfo record = h.Drive(drive);
  record->FileSysName.clear();
  EXPECT_EQ(h.Scan(record), -1);
  record->FileSysName = L"FAT32";
  State().ProtectionEnabled = false;
  EXPECT_EQ(h.Scan(record), -1);
  EXPECT_TRUE(h.view.added.empty());
}

TEST(ScanRun, AllDrivesRunStopsAfterTheDriveInHand) {
  DriveFixture first(0), second(1);
  ScanHarness h;
  first.WriteFile(L"a.exe", "", kHiddenSystem);
  second.WriteFile(L"b.exe", "", kHiddenSystem);
  State().DriveList.Append(h.Drive(first));
  State().DriveList.Append(h.Drive(second));
  auto* scan = new TScanThread(true, false);
  StartWorker(scan, &State().WorkThreads);
  h.mainThread.PumpUntil([&] { return h.view.finished && State().WorkThreads.Count() == 0; });
  EXPECT_EQ(h.view.events,
            (std::vector<std::wstring>{L"started", L"done " + first.root(), L"done " + second.root(), L"finished"}));
}

// A folder that claims to be a junction: the walk must not go into it.
class JunctionFs : public ForwardingFileSystem {
 public:
  JunctionFs(FileSystem& real, std::wstring junction) : ForwardingFileSystem(real), junction_(std::move(junction)) {}
  bool Find(const std::wstring& pattern, const std::function<bool(const FindData&)>& visit) override {
    return ForwardingFileSystem::Find(pattern, [&](const FindData& entry) {
      FindData copy = entry;
      if (EqualsNoCase(entry.name, junction_)) copy.attributes |= kAttrReparsePoint;
      return visit(copy);
    });
  }

 private:
  std::wstring junction_;
};

TEST(ScanRun, ThoroughWalkNeverEntersAJunction) {
  DriveFixture drive;
  ScanHarness h;
  drive.MakeFolder(L"link");
  drive.MakeFolder(L"link\\Secret", kAttrHidden);
  drive.WriteFile(L"link\\Secret.exe", "MZ");
  drive.MakeFolder(L"real");
  drive.MakeFolder(L"real\\Secret", kAttrHidden);
  drive.WriteFile(L"real\\Secret.exe", "MZ");
  JunctionFs junctions(Fs(), L"link");
  ScopedPlatform guard(Platform{.fs = &junctions});
  h.Scan(h.Drive(drive), true);
  EXPECT_EQ(h.view.added, std::vector<std::wstring>{drive.Path(L"real\\Secret.exe")});
}

TEST(Disposal, AFailedQuarantineCopyLeavesTheFileListedAndSaysSo) {
  DriveFixture drive;
  ScanHarness h;
  drive.WriteFile(L"x.exe", "payload", kHiddenSystem);
  // A file where the quarantine folder should be: nothing can be stored.
  Fs().WriteAll(State().DataFolder + L"quarantine", "in the way");
  State().RiskAction = Delete;
  h.Scan(h.Drive(drive));

  EXPECT_EQ(drive.Read(L"x.exe"), "payload");
  EXPECT_EQ(State().RiskList.Snapshot(), std::vector<std::wstring>{drive.Path(L"x.exe")});
  ASSERT_EQ(h.view.disposed.size(), 1u);
  EXPECT_EQ(h.view.disposed[0].second, DisposeResult::CopyFailed);
  EXPECT_EQ(h.view.lastDisposals.failed, 1);
  EXPECT_EQ(AutoDisposalText(h.view.lastDisposals), FormatText(MsgDisposeFailed, {drive.Path(L"x.exe")}));
  EXPECT_EQ(h.LogText(),
            (std::vector<std::wstring>{L"scan/start " + drive.root(), L"delete/failed " + drive.Path(L"x.exe"),
                                       L"Menace/riskFile " + drive.Path(L"x.exe"), L"scan/end " + drive.root()}));
}

TEST(Disposal, DeletesHiddenSystemReadOnlyFilesAfterTheCopy) {
  DriveFixture drive;
  ScanHarness h;
  drive.WriteFile(L"f.exe", "abc", kHiddenSystem | kAttrReadOnly);
  EXPECT_EQ(DeleteFinding(drive.Path(L"f.exe")), DisposeResult::Done);
  EXPECT_FALSE(drive.Exists(L"f.exe"));
  EXPECT_EQ(Fs().ReadAll(QuarantineFolder() + L"f.exe.quarantine"), "abc");
  EXPECT_TRUE(h.system.MessageBoxes().empty());
}

TEST(Disposal, AFolderIsNeverDeleted) {
  DriveFixture drive;
  ScanHarness h;
  drive.MakeFolder(L"Photos", kAttrHidden);
  drive.WriteFile(L"Photos\\holiday.jpg", "jpg");
  EXPECT_EQ(DeleteFinding(drive.Path(L"Photos")), DisposeResult::CopyFailed);
  EXPECT_EQ(drive.Read(L"Photos\\holiday.jpg"), "jpg");
  EXPECT_TRUE(h.system.MessageBoxes().empty());
}

// As Windows does: a file that another disposal is still copying cannot be deleted
// (it is open without delete sharing). The first copy of the source waits until
// the test lets it go on.
class HeldOpenFs : public ForwardingFileSystem {
 public:
  HeldOpenFs(FileSystem& inner, std::wstring source) : ForwardingFileSystem(inner), source_(std::move(source)) {}

  bool CopyNew(const std::wstring& from, const std::wstring& to, uint64_t size) override {
    bool hold = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (EqualsNoCase(from, source_)) {
        ++open_;
        hold = !held_;
        held_ = true;
        changed_.notify_all();
        if (hold) changed_.wait(lock, [&] { return released_; });
      }
    }
    bool copied = ForwardingFileSystem::CopyNew(from, to, size);
    std::lock_guard<std::mutex> lock(mutex_);
    if (EqualsNoCase(from, source_)) --open_;
    return copied;
  }
  bool Delete(const std::wstring& path) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      refused_ = EqualsNoCase(path, source_) && open_ > 0;
      if (refused_) return false;
    }
    return ForwardingFileSystem::Delete(path);
  }
  uint32_t LastError() override { return refused_ ? 32 : ForwardingFileSystem::LastError(); }

  void WaitUntilHeld() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return held_; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::wstring source_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int open_ = 0;
  bool held_ = false;
  bool released_ = false;
  static thread_local bool refused_;
};

thread_local bool HeldOpenFs::refused_ = false;

// Two disposals of one file at once (a scan's automatic action while the user
// deletes it, two runs of the same stick): the one that comes second finds the
// file gone, instead of failing to delete what the first still holds open, asking
// for elevation and saying the file is still on the drive.
TEST(Disposal, ASecondDisposalOfTheSameFileFindsItGoneNotStuck) {
  DriveFixture drive;
  ScanHarness h;
  drive.WriteFile(L"run.exe", "MZ");
  const std::wstring path = drive.Path(L"run.exe");
  HeldOpenFs held(Fs(), path);
  ScopedPlatform guard(Platform{.fs = &held});

  std::future<DisposeResult> first = std::async(std::launch::async, [&] { return DeleteFinding(path); });
  held.WaitUntilHeld();
  std::future<DisposeResult> second = std::async(std::launch::async, [&] { return DeleteFinding(path); });
  // Given every chance to run into the copy in hand.
  second.wait_for(std::chrono::milliseconds(500));
  held.Release();
  std::vector<DisposeResult> results = {first.get(), second.get()};

  EXPECT_EQ(results, (std::vector<DisposeResult>{DisposeResult::Done, DisposeResult::Missing}));
  EXPECT_FALSE(drive.Exists(L"run.exe"));
  EXPECT_EQ(Fs().ReadAll(QuarantineFolder() + L"run.exe.quarantine"), "MZ");
  EXPECT_FALSE(Fs().ReadAll(QuarantineFolder() + L"run.exe(0).quarantine").has_value());
  EXPECT_TRUE(h.system.MessageBoxes().empty());  // no elevation asked for
}

TEST(Disposal, ForgetFindingLeavesBothLists) {
  ScanHarness h;
  State().ThreatList.Add(L"e:\\x.exe");
  State().RiskList.Add(L"E:\\X.EXE");
  ForgetFinding(L"e:\\x.exe");
  EXPECT_EQ(State().ThreatList.Count() + State().RiskList.Count(), 0);
}

}  // namespace

}  // namespace dw::test
