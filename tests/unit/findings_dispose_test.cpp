#include <algorithm>

#include "engine/disposal.h"
#include "engine/quarantine.h"
#include "findings_fixture.h"
#include "state/Elevation.h"
#include "support/ForwardingFileSystem.h"

namespace dw::test {

namespace {

// A drive with two threats (run.exe started by the autorun file, and the set-aside
// autorun file) and, when asked, one suspicious file, x.exe; scanned and listed.
class FindingsDispose : public FindingsFixture {
 protected:
  void Infect(bool withSuspicious = true) {
    drive.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\n");
    drive.WriteFile(L"run.exe", "MZ-run");
    if (withSuspicious) drive.WriteFile(L"x.exe", "MZ-x", kHiddenSystem);
    record = AddFixtureDrive(drive);
    ScanSilently(record);
    notifications.clear();
  }
  // Nothing can be stored: a file stands where the quarantine folder goes.
  void BlockQuarantine() { ASSERT_TRUE(Fs().WriteAll(State().DataFolder + L"quarantine", "in the way")); }

  // Each question names what it deletes: text, when given.
  void ExpectConfirmations(size_t count, const std::wstring& text = L"") {
    std::vector<MessageBoxCall> boxes = system.MessageBoxes();
    ASSERT_EQ(boxes.size(), count);
    for (const MessageBoxCall& box : boxes) {
      if (!text.empty()) {
        EXPECT_EQ(box.text, text);
      }
      EXPECT_EQ(box.caption, MsgWarningTitle);
      EXPECT_EQ(box.type, kMbYesNoCancel);
    }
  }

  std::vector<std::wstring> Log(const std::wstring& action) {
    std::vector<std::wstring> found;
    for (const std::wstring& entry : LogText()) {
      if (entry.rfind(action + L" ", 0) == 0) found.push_back(entry.substr(action.size() + 1));
    }
    return found;
  }

  DriveFixture drive;
  PdiskInfo record;
  std::wstring run = drive.Path(L"run.exe"), ren = drive.Path(L"autorun.inf.ren"), x = drive.Path(L"x.exe");
};

TEST_F(FindingsDispose, DeletingAThreatAsksNothingAndTakesItOutOfEveryList) {
  Infect();
  ASSERT_TRUE(SelectFinding(run));
  Click(L"tdel");
  WaitForWorkers();

  ExpectConfirmations(0);
  EXPECT_FALSE(drive.Exists(L"run.exe"));
  EXPECT_EQ(Fs().ReadAll(QuarantineFolder() + L"run.exe.quarantine"), "MZ-run");
  EXPECT_EQ(notifications, (std::vector<Notification>{{MsgThreatDeleted, run, 0}}));
  EXPECT_EQ(Log(L"delete/threat"), std::vector<std::wstring>{run});
  EXPECT_FALSE(State().ThreatList.Contains(run));
  EXPECT_FALSE(State().FindingsSeen.Contains(run));
  EXPECT_FALSE(record->threat.Contains(run));
  EXPECT_EQ(C(L"ListView1").RowCount(), 2);
  ExpectRowsMatchFindingsSeen();
}

TEST_F(FindingsDispose, DeletingASuspiciousFileAsksFirstAndOnlyYesGoesOn) {
  struct {
    int answer;
    bool deleted;
  } cases[] = {{kIdNo, false}, {kIdCancel, false}, {kIdYes, true}};
  Infect();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    size_t asked = system.MessageBoxes().size();
    system.QueueAnswer(c.answer);
    ASSERT_TRUE(SelectFinding(x));
    Click(L"tdel");
    EXPECT_EQ(system.MessageBoxes().size(), asked + 1);
    WaitForWorkers();
    EXPECT_EQ(drive.Exists(L"x.exe"), !c.deleted);
    EXPECT_EQ(State().RiskList.Contains(x), !c.deleted);
    EXPECT_EQ(record->Risk.Contains(x), !c.deleted);
    ExpectRowsMatchFindingsSeen();
  }
  ExpectConfirmations(3, FormatText(MsgConfirmDeleteFile, {x}));
  EXPECT_EQ(notifications, (std::vector<Notification>{{MsgSuspectDeleted, x, 0}}));
  EXPECT_EQ(Log(L"delete/riskFile"), std::vector<std::wstring>{x});
}

TEST_F(FindingsDispose, DeleteDoesNothingWithoutASelectedRowOrForARowNoLongerListed) {
  Infect();
  Click(L"tdel");
  ForgetFinding(run);  // as when another worker disposed of it
  ASSERT_TRUE(SelectFinding(run));
  Click(L"tdel");
  EXPECT_EQ(State().WorkThreads.Count(), 0);
  ExpectConfirmations(0);
  EXPECT_TRUE(drive.Exists(L"run.exe"));
  EXPECT_EQ(C(L"ListView1").RowCount(), 3);
}

TEST_F(FindingsDispose, AFindingInASubfolderLeavesTheDrivesList) {
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=tools\\run.exe\n");
  drive.MakeFolder(L"tools");
  drive.WriteFile(L"tools\\run.exe", "MZ");
  record = AddFixtureDrive(drive);
  ScanSilently(record);
  const std::wstring nested = drive.Path(L"tools\\run.exe");
  ASSERT_TRUE(record->threat.Contains(nested));

  ASSERT_TRUE(SelectFinding(nested));
  Click(L"tdel");
  WaitForWorkers();
  EXPECT_FALSE(drive.Exists(L"tools\\run.exe"));
  EXPECT_EQ(record->threat.Snapshot(), std::vector<std::wstring>{ren});
  ExpectRowsMatchFindingsSeen();
}

TEST_F(FindingsDispose, AFindingThatStaysOnTheDriveIsReportedAsSuchAndKeepsItsRow) {
  Infect();
  BlockQuarantine();
  ASSERT_TRUE(SelectFinding(run));
  Click(L"tdel");
  WaitForWorkers();

  EXPECT_EQ(drive.Read(L"run.exe"), "MZ-run");
  EXPECT_EQ(notifications, (std::vector<Notification>{{MsgFailureTitle, FormatText(MsgDisposeFailed, {run}), 1}}));
  EXPECT_EQ(Log(L"delete/failed"), std::vector<std::wstring>{run});
  EXPECT_TRUE(Log(L"delete/threat").empty());
  EXPECT_TRUE(State().ThreatList.Contains(run));
  EXPECT_TRUE(record->threat.Contains(run));
  EXPECT_EQ(C(L"ListView1").RowCount(), 3);
  ExpectRowsMatchFindingsSeen();

  // Deleting them all makes one pass: nothing is deleted, nothing claims it was,
  // and the one notice says so.
  notifications.clear();
  Pick(L"method_sel", 0);
  Click(L"tdelall");
  WaitForWorkers();
  EXPECT_EQ(
      notifications,
      (std::vector<Notification>{{MsgWarningTitle, FormatText(MsgThreatsDeletedCount, {int64_t{0}, int64_t{2}}), 1}}));
  EXPECT_EQ(Log(L"delete/failed").size(), 3u);  // the row's, then the batch's two
  EXPECT_EQ(State().ThreatList.Count(), 2);
  EXPECT_EQ(C(L"ListView1").RowCount(), 3);
  ExpectRowsMatchFindingsSeen();
  EXPECT_TRUE(C(L"tdel").Enabled());
  EXPECT_TRUE(C(L"tdelall").Enabled());
}

// run.exe is listed twice, as a threat and as a suspicious file: however it is
// disposed of, it is copied and deleted once, and both its rows go.
class BothKinds : public FindingsDispose, public ::testing::WithParamInterface<bool> {};

TEST_P(BothKinds, AFileListedAsBothKindsIsDeletedOnceAndLeavesWithBothRows) {
  const bool all = GetParam();
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\n");
  drive.WriteFile(L"run.exe", "MZ", kHiddenSystem);
  record = AddFixtureDrive(drive);
  ScanSilently(record);
  ASSERT_EQ(State().FindingsSeen.Snapshot(), (std::vector<std::wstring>{run, ren, run}));
  notifications.clear();

  if (all) {
    Pick(L"method_sel", 2);
    Click(L"tdelall");
  } else {
    ASSERT_TRUE(SelectFinding(run, 1));  // the suspicious file's row
    Click(L"tdel");                      // a threat all the same: no question
  }
  WaitForWorkers();

  ExpectConfirmations(all ? 1 : 0, FormatText(MsgConfirmDeleteFile, {run}));
  EXPECT_FALSE(drive.Exists(L"run.exe"));
  EXPECT_FALSE(State().FindingsSeen.Contains(run));
  EXPECT_EQ(State().RiskList.Count(), 0);
  ExpectRowsMatchFindingsSeen();
  EXPECT_TRUE(Fs().ReadAll(QuarantineFolder() + L"run.exe.quarantine").has_value());
  EXPECT_FALSE(Fs().ReadAll(QuarantineFolder() + L"run.exe(0).quarantine").has_value());
  // One notice either way: the row's names the file, the batch's gives the counts.
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_EQ(notifications[0].itype, 0);
  EXPECT_EQ(notifications[0].msg, all ? MsgAllThreatsDeleted + L"\n" + MsgAllSuspectsDeleted : run);
}

INSTANTIATE_TEST_SUITE_P(Findings, BothKinds, ::testing::Bool(),
                         [](const auto& testInfo) { return std::string(testInfo.param ? "DeleteAll" : "DeleteRow"); });

struct DeleteAllCase {
  const char* name;
  int index;
  std::vector<int> answers;
  bool withSuspicious;
  size_t questions;
  bool threatsGone;
  bool suspectGone;
  std::vector<const std::wstring*> summaries;  // the lines of the one closing pop-up
};

void PrintTo(const DeleteAllCase& c, std::ostream* os) { *os << c.name; }

class DeleteAll : public FindingsDispose, public ::testing::WithParamInterface<DeleteAllCase> {};

TEST_P(DeleteAll, DisposesOfTheChosenKinds) {
  const DeleteAllCase& c = GetParam();
  Infect(c.withSuspicious);
  for (int answer : c.answers) system.QueueAnswer(answer);
  Pick(L"method_sel", c.index);
  Click(L"tdelall");
  WaitForWorkers();

  ExpectConfirmations(c.questions, FormatText(MsgConfirmDeleteFile, {x}));
  EXPECT_EQ(drive.Exists(L"run.exe"), !c.threatsGone);
  EXPECT_EQ(State().ThreatList.Count() == 0, c.threatsGone);
  if (c.withSuspicious) {
    EXPECT_EQ(drive.Exists(L"x.exe"), !c.suspectGone);
  }
  // However many workers ran, one pop-up closes the batch.
  std::wstring expected;
  for (const std::wstring* text : c.summaries) expected += (expected.empty() ? L"" : L"\n") + *text;
  if (expected.empty()) {
    EXPECT_TRUE(notifications.empty());
  } else {
    EXPECT_EQ(notifications, (std::vector<Notification>{{MsgSuccessTitle, expected, 0}}));
  }
  EXPECT_TRUE(C(L"tdel").Enabled());
  EXPECT_TRUE(C(L"tdelall").Enabled());
  if (!c.summaries.empty()) {
    EXPECT_EQ(C(L"Label13").Caption(), MsgProtectionActive);
  }
  ExpectRowsMatchFindingsSeen();
  if (c.threatsGone) {
    EXPECT_EQ(Fs().ReadAll(QuarantineFolder() + L"run.exe.quarantine"), "MZ-run");
    EXPECT_EQ(record->threat.Count(), 0);
  }
}

const DeleteAllCase kDeleteAllCases[] = {
    {"ThreatsWithoutAQuestion", 0, {}, true, 0, true, false, {&MsgAllThreatsDeleted}},
    {"SuspectsAfterYes", 1, {kIdYes}, true, 1, false, true, {&MsgAllSuspectsDeleted}},
    {"SuspectsNotAfterNo", 1, {kIdNo}, true, 1, false, false, {}},
    {"BothAfterYes", 2, {kIdYes}, true, 1, true, true, {&MsgAllThreatsDeleted, &MsgAllSuspectsDeleted}},
    {"ThreatsEvenAfterCancel", 2, {kIdCancel}, true, 1, true, false, {&MsgAllThreatsDeleted}},
    {"NoQuestionWithoutSuspects", 2, {}, false, 0, true, false, {&MsgAllThreatsDeleted}},
    {"NothingWithoutAChoice", -1, {}, true, 0, false, false, {}},
};

INSTANTIATE_TEST_SUITE_P(Findings, DeleteAll, ::testing::ValuesIn(kDeleteAllCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// A stick pulled out: nothing under its root answers any more.
class UnpluggedFs : public ForwardingFileSystem {
 public:
  UnpluggedFs(FileSystem& inner, std::wstring root) : ForwardingFileSystem(inner), root_(std::move(root)) {}
  uint32_t Attributes(const std::wstring& path) override {
    return On(path) ? kInvalidAttributes : ForwardingFileSystem::Attributes(path);
  }
  bool Find(const std::wstring& pattern, const std::function<bool(const FindData&)>& visit) override {
    return !On(pattern) && ForwardingFileSystem::Find(pattern, visit);
  }
  std::optional<FindData> Entry(const std::wstring& path) override {
    return On(path) ? std::nullopt : ForwardingFileSystem::Entry(path);
  }
  bool Delete(const std::wstring& path) override { return !On(path) && ForwardingFileSystem::Delete(path); }
  bool CopyNew(const std::wstring& from, const std::wstring& to, uint64_t size) override {
    return !On(from) && ForwardingFileSystem::CopyNew(from, to, size);
  }

 private:
  bool On(const std::wstring& path) const { return StartsWithNoCase(path, root_); }
  std::wstring root_;
};

// Findings that are no longer there to delete when their turn comes: the file was
// removed by other hands, or the stick was pulled out (and still holds it). Each
// is told as it is, never as deleted, and the closing count does not call it
// deleted either.
struct GoneCase {
  const char* name;
  bool unplugged;
  bool all;  // "Supprimer tout" rather than the row's "Supprimer"
};

void PrintTo(const GoneCase& c, std::ostream* os) { *os << c.name; }

class GoneBeforeDeletion : public FindingsDispose, public ::testing::WithParamInterface<GoneCase> {};

TEST_P(GoneBeforeDeletion, IsToldAsItIsAndLeavesTheList) {
  const GoneCase& c = GetParam();
  Infect(false);
  UnpluggedFs unplugged(Fs(), drive.root());
  std::optional<ScopedPlatform> pulledOut;
  if (c.unplugged) {
    pulledOut.emplace(Platform{.fs = &unplugged});
  } else {
    ASSERT_TRUE(Fs().Delete(run));
  }
  if (c.all) {
    Pick(L"method_sel", 0);
    Click(L"tdelall");
  } else {
    ASSERT_TRUE(SelectFinding(run));
    Click(L"tdel");
  }
  WaitForWorkers();

  // The row's own notice says what became of the file; a batch's is its counts.
  const Notification told = c.unplugged ? Notification{MsgWarningTitle, FormatText(MsgFindingDriveGone, {run}), 1}
                                        : Notification{MsgInformationTitle, FormatText(MsgFindingGone, {run}), 0};
  EXPECT_EQ(std::count(notifications.begin(), notifications.end(), told), c.all ? 0 : 1);
  for (const Notification& n : notifications) {
    EXPECT_FALSE(n.title == MsgThreatDeleted && n.msg == run);
    EXPECT_NE(n.msg, MsgAllThreatsDeleted);
  }
  std::vector<std::wstring> goneLog = Log(c.unplugged ? L"delete/driveGone" : L"delete/missing");
  EXPECT_EQ(std::count(goneLog.begin(), goneLog.end(), run), 1);
  EXPECT_TRUE(Log(L"delete/failed").empty());
  EXPECT_FALSE(State().ThreatList.Contains(run));
  EXPECT_FALSE(record->threat.Contains(run));
  ExpectRowsMatchFindingsSeen();
  EXPECT_TRUE(system.MessageBoxes().empty());  // no elevation asked for
  if (c.all) {
    // The set-aside autorun file is deleted unless the stick is gone too.
    const int deleted = c.unplugged ? 0 : 1;
    EXPECT_EQ(notifications,
              (std::vector<Notification>{
                  {MsgWarningTitle, FormatText(MsgThreatsDeletedCount, {int64_t{deleted}, int64_t{2 - deleted}}), 1}}));
    EXPECT_EQ(Log(L"delete/threat").size(), static_cast<size_t>(deleted));
  } else {
    EXPECT_TRUE(Log(L"delete/threat").empty());
  }
}

const GoneCase kGoneCases[] = {
    {"FileRemovedRow", false, false},
    {"FileRemovedAll", false, true},
    {"StickPulledOutRow", true, false},
    {"StickPulledOutAll", true, true},
};

INSTANTIATE_TEST_SUITE_P(Findings, GoneBeforeDeletion, ::testing::ValuesIn(kGoneCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(FindingsDispose, AStickThatLeavesTakesItsFindingsOffTheListAndNoneIsCalledDeleted) {
  Infect();
  panel->WMDeviceChange(kDbtDeviceRemoveComplete, DeviceBroadcast{kDbtDevtypVolume, 1u << (drive.letter() - L'a'), 0});
  EXPECT_EQ(State().ThreatList.Count() + State().RiskList.Count() + State().FindingsSeen.Count(), 0);
  EXPECT_EQ(C(L"ListView1").RowCount(), 0);
  EXPECT_EQ(drive.Read(L"run.exe"), "MZ-run");

  // Nothing is left for a delete-all: the only thing it says is that no threat remains listed.
  Pick(L"method_sel", 2);
  Click(L"tdelall");
  WaitForWorkers();
  ExpectConfirmations(0);
  EXPECT_EQ(notifications, (std::vector<Notification>{{MsgSuccessTitle, MsgAllThreatsDeleted, 0}}));
  EXPECT_EQ(drive.Read(L"run.exe"), "MZ-run");
}

// The question names what goes: one file by its path, several by their number.
TEST_F(FindingsDispose, DeletingAllSuspiciousFilesAsksWithTheirNumberAndDeletesOnlyThose) {
  drive.WriteFile(L"x.exe", "MZ-x", kHiddenSystem);
  drive.WriteFile(L"y.scr", "MZ-y", kHiddenSystem);
  record = AddFixtureDrive(drive);
  ScanSilently(record);
  ASSERT_EQ(State().RiskList.Count(), 2);
  notifications.clear();

  system.QueueAnswer(kIdNo);
  Pick(L"method_sel", 1);
  Click(L"tdelall");
  WaitForWorkers();
  ExpectConfirmations(1, FormatText(MsgConfirmDeleteSuspects, {int64_t{2}}));
  EXPECT_TRUE(drive.Exists(L"x.exe") && drive.Exists(L"y.scr"));

  Click(L"tdelall");
  WaitForWorkers();
  EXPECT_FALSE(drive.Exists(L"x.exe") || drive.Exists(L"y.scr"));
  EXPECT_EQ(notifications.back(), (Notification{MsgSuccessTitle, MsgAllSuspectsDeleted, 0}));
}

TEST_F(FindingsDispose, DeletingAllOfAnEmptyListOnlySaysSo) {
  Pick(L"method_sel", 0);
  Click(L"tdelall");
  WaitForWorkers();
  EXPECT_EQ(notifications, (std::vector<Notification>{{MsgSuccessTitle, MsgAllThreatsDeleted, 0}}));
  EXPECT_TRUE(C(L"tdel").Enabled());
  EXPECT_TRUE(C(L"tdelall").Enabled());
}

}  // namespace

}  // namespace dw::test
