#include <algorithm>
#include <functional>
#include <utility>

#include "engine/quarantine.h"
#include "findings_fixture.h"
#include "state/Elevation.h"
#include "support/RecordingObserver.h"

namespace dw::test {

namespace {

class QuarantinePage : public FindingsFixture {
 protected:
  // Puts rel (written with content) into the store, as a disposal does.
  void Store(const std::wstring& rel, std::string_view content) {
    drive.WriteFile(rel, content);
    ASSERT_EQ(CopyToQuarantine(drive.Path(rel)), 0);
  }
  // Shows the page and waits for its listing to end.
  void ShowPage() {
    TComponent& total = C(L"IquarantineMemory");
    total.SetCaption(L"");
    TComponent& page = C(L"TabSheet4");
    page.OnShow(page);
    Pump([&] { return !total.Caption().empty(); });
  }
  std::vector<TListRow> SortedRows() {
    std::vector<TListRow> rows = C(L"ListView4").Rows();
    std::sort(rows.begin(), rows.end(),
              [](const TListRow& a, const TListRow& b) { return a.SubItems[2] < b.SubItems[2]; });
    return rows;
  }
  // Selects the row of the file that came from rel.
  void SelectSource(const std::wstring& rel) {
    TComponent& rows = C(L"ListView4");
    for (int i = 0; i < rows.RowCount(); ++i) {
      if (rows.Rows()[static_cast<size_t>(i)].SubItems.at(2) == drive.Path(rel)) {
        rows.SetSelectedRow(i);
        return;
      }
    }
    ADD_FAILURE() << "no row for " << WideToUtf8(rel);
  }
  bool Stored(const std::wstring& name) { return Fs().Attributes(QuarantineFolder() + name) != kInvalidAttributes; }
  std::wstring Total(int64_t ko) { return FormatText(MsgQuarantineSize, {ko}); }
  // The date the page shows for a stored file: its record's time, as the system
  // writes dates (the fake writes the moment itself).
  std::wstring Date(const std::wstring& stored) {
    std::optional<int64_t> time = Fs().WriteTime(QuarantineFolder() + stored + L".info");
    return time ? L"@" + std::to_wstring(*time) : L"no record";
  }

  DriveFixture drive;
};

TEST_F(QuarantinePage, ListsEveryStoredFileWithItsSizeSourceAndTotal) {
  ShowPage();
  EXPECT_EQ(C(L"IquarantineMemory").Caption(), Total(0));  // an empty store takes no room
  EXPECT_EQ(C(L"ListView4").RowCount(), 0);

  Store(L"run.exe", "");
  drive.MakeFolder(L"sub");
  Store(L"sub\\run.exe", std::string(1023, 'a'));
  Store(L"big.bin", std::string(1024, 'b'));
  ShowPage();

  EXPECT_EQ(SortedRows(), (std::vector<TListRow>{
                              {L"big.bin", {L"2ko", Date(L"big.bin.quarantine"), drive.Path(L"big.bin")}},
                              {L"run.exe", {L"1ko", Date(L"run.exe.quarantine"), drive.Path(L"run.exe")}},
                              {L"run.exe(0)", {L"1ko", Date(L"run.exe(0).quarantine"), drive.Path(L"sub\\run.exe")}}}));
  EXPECT_EQ(C(L"IquarantineMemory").Caption(), Total(2));  // 2047 bytes
  EXPECT_EQ(State().WorkThreads.Count(), 0);               // the listing is not registered
}

TEST_F(QuarantinePage, TheListingStopsAfterTheRowInHandWhenAStopIsRequested) {
  Store(L"a.exe", "a");
  Store(L"b.exe", "b");
  Store(L"c.exe", "c");
  C(L"IquarantineMemory").SetCaption(L"before");
  State().StopRequested = true;
  StartWorker(new TquarantineThread(ListEntries, L"", L"", panel.get()), &State().WorkThreads);
  WaitForWorkers();
  EXPECT_EQ(C(L"ListView4").RowCount(), 1);
  EXPECT_EQ(C(L"IquarantineMemory").Caption(), L"before");
}

TEST_F(QuarantinePage, ErasingARowErasesThatStoredFileOnlyAndRefillsThePage) {
  Store(L"run.exe", "first");
  drive.MakeFolder(L"sub");
  Store(L"sub\\run.exe", "second");
  ShowPage();
  Click(L"btquarantineDel");  // no row selected
  EXPECT_EQ(State().WorkThreads.Count(), 0);

  SelectSource(L"sub\\run.exe");
  Click(L"btquarantineDel");
  WaitForWorkers();

  EXPECT_FALSE(Stored(L"run.exe(0).quarantine"));
  EXPECT_TRUE(Stored(L"run.exe(0).quarantine.info"));  // until the store is emptied
  EXPECT_TRUE(Stored(L"run.exe.quarantine"));
  // The question and the notice name that one file, not the whole store.
  ASSERT_EQ(system.MessageBoxes().size(), 1u);
  EXPECT_EQ(system.MessageBoxes()[0].text,
            FormatText(MsgConfirmEraseStored, {L"run.exe(0)", drive.Path(L"sub\\run.exe")}));
  EXPECT_EQ(notifications,
            (std::vector<Notification>{{MsgSuccessTitle, FormatText(MsgQuarantineEmptied, {L"run.exe(0)"}), 0}}));
  EXPECT_EQ(LogText(), std::vector<std::wstring>{L"quarantineErase run.exe(0).quarantine"});
  EXPECT_EQ(SortedRows(),
            (std::vector<TListRow>{{L"run.exe", {L"1ko", Date(L"run.exe.quarantine"), drive.Path(L"run.exe")}}}));
  EXPECT_EQ(C(L"IquarantineMemory").Caption(), Total(1));
}

TEST_F(QuarantinePage, ErasingAFileThatIsNoLongerThereIsReportedAsAFailure) {
  Store(L"run.exe", "x");
  ShowPage();
  ASSERT_TRUE(Fs().Delete(QuarantineFolder() + L"run.exe.quarantine"));
  SelectSource(L"run.exe");
  Click(L"btquarantineDel");
  WaitForWorkers();
  EXPECT_EQ(notifications,
            (std::vector<Notification>{{MsgFailureTitle, FormatText(MsgDisposeFailed, {L"run.exe.quarantine"}), 1}}));
  EXPECT_EQ(LogText(), std::vector<std::wstring>{L"quarantineErase/failed run.exe.quarantine"});
  EXPECT_EQ(C(L"ListView4").RowCount(), 0);
}

TEST_F(QuarantinePage, EmptyingRemovesEveryFileOfTheStore) {
  Store(L"run.exe", "x");
  Store(L"y.exe", "y");
  ShowPage();
  SelectSource(L"y.exe");
  Click(L"btquarantineDel");
  WaitForWorkers();
  ASSERT_TRUE(Stored(L"y.exe.quarantine.info"));
  notifications.clear();

  Click(L"btquarantineErase");
  WaitForWorkers();
  int left = 0;
  Fs().Find(QuarantineFolder() + L"*", [&](const FindData& entry) {
    if (!(entry.attributes & kAttrDirectory)) ++left;
    return true;
  });
  EXPECT_EQ(left, 0);
  EXPECT_EQ(C(L"ListView4").RowCount(), 0);
  EXPECT_EQ(notifications, (std::vector<Notification>{{MsgSuccessTitle, MsgQuarantineFilesDeleted, 0}}));
  // The erase before, then each file that emptying erased, then the store emptied.
  EXPECT_EQ(LogText(),
            (std::vector<std::wstring>{L"quarantineErase y.exe.quarantine", L"quarantineErase run.exe.quarantine",
                                       L"quarantineEmptied " + QuarantineFolder()}));
  EXPECT_EQ(C(L"IquarantineMemory").Caption(), Total(0));
}

// The store may hold the only copy of a user's file: erasing one row and emptying
// the store both ask first, naming the file or the count, and only "Oui" erases.
TEST_F(QuarantinePage, ErasingAsksFirstNamingWhatGoes) {
  struct {
    const char* name;
    bool all;
    int answer;
  } cases[] = {
      {"RowNo", false, kIdNo}, {"RowCancel", false, kIdCancel}, {"RowYes", false, kIdYes},
      {"AllNo", true, kIdNo},  {"AllCancel", true, kIdCancel},  {"AllYes", true, kIdYes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveFolderContents(QuarantineFolder());
    Store(L"run.exe", "run");
    Store(L"y.exe", "y");
    ShowPage();
    notifications.clear();
    size_t asked = system.MessageBoxes().size(), logged = LogText().size();
    if (!c.all) SelectSource(L"run.exe");
    system.QueueAnswer(c.answer);
    Click(c.all ? L"btquarantineErase" : L"btquarantineDel");
    WaitForWorkers();

    std::vector<MessageBoxCall> boxes = system.MessageBoxes();
    ASSERT_EQ(boxes.size(), asked + 1);
    EXPECT_EQ(boxes.back().text, c.all ? FormatText(MsgConfirmEmptyQuarantine, {int64_t{2}})
                                       : FormatText(MsgConfirmEraseStored, {L"run.exe", drive.Path(L"run.exe")}));
    EXPECT_EQ(boxes.back().caption, MsgWarningTitle);
    std::vector<std::wstring> log = LogText();
    log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(logged));
    if (c.answer != kIdYes) {
      EXPECT_TRUE(Stored(L"run.exe.quarantine") && Stored(L"y.exe.quarantine"));
      EXPECT_TRUE(log.empty());
      EXPECT_TRUE(notifications.empty());
      continue;
    }
    EXPECT_FALSE(Stored(L"run.exe.quarantine"));
    EXPECT_EQ(Stored(L"y.exe.quarantine"), !c.all);
    std::vector<std::wstring> expected = {L"quarantineErase run.exe.quarantine"};
    if (c.all) expected.push_back(L"quarantineErase y.exe.quarantine");
    if (c.all) expected.push_back(L"quarantineEmptied " + QuarantineFolder());
    std::sort(log.begin(), log.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(log, expected);
  }
}

// Emptying erases what the question counted: a disposal that stores a file while
// the question waits does not lose it.
TEST_F(QuarantinePage, EmptyingErasesOnlyWhatTheQuestionCounted) {
  class StoringWhileAsked : public FakeSystem {
   public:
    std::function<void()> meanwhile;
    int MessageDialog(const std::wstring& text, const std::wstring& caption, uint32_t type) override {
      if (meanwhile) meanwhile();
      return FakeSystem::MessageDialog(text, caption, type);
    }
  } asking;
  Store(L"run.exe", "run");
  ShowPage();
  asking.meanwhile = [&] { Store(L"late.exe", "stored since"); };
  {
    ScopedPlatform guard(Platform{.system = &asking});
    Click(L"btquarantineErase");
    WaitForWorkers();
  }
  ASSERT_EQ(asking.MessageBoxes().size(), 1u);
  EXPECT_EQ(asking.MessageBoxes()[0].text, FormatText(MsgConfirmEraseStored, {L"run.exe", drive.Path(L"run.exe")}));
  EXPECT_FALSE(Stored(L"run.exe.quarantine"));
  EXPECT_EQ(Fs().ReadAll(QuarantineFolder() + L"late.exe.quarantine"), "stored since");
  EXPECT_EQ(SortedRows(),
            (std::vector<TListRow>{{L"late.exe", {L"1ko", Date(L"late.exe.quarantine"), drive.Path(L"late.exe")}}}));
}

// Erase and restore act on a row: greyed out without one, and the only row is
// picked for the user.
TEST_F(QuarantinePage, TheRowCommandsAreGreyedOutUntilARowIsPicked) {
  auto enabled = [&] { return std::make_pair(C(L"btquarantineDel").Enabled(), C(L"btquarantineRestore").Enabled()); };
  ShowPage();
  EXPECT_EQ(enabled(), std::make_pair(false, false));

  Store(L"run.exe", "run");
  ShowPage();
  EXPECT_EQ(C(L"ListView4").SelectedRow(), 0);
  EXPECT_EQ(enabled(), std::make_pair(true, true));

  Store(L"y.exe", "y");
  ShowPage();
  EXPECT_EQ(C(L"ListView4").SelectedRow(), -1);
  EXPECT_EQ(enabled(), std::make_pair(false, false));
  TComponent& rows = C(L"ListView4");
  rows.SetSelectedRow(1);
  rows.OnChange(rows);
  EXPECT_EQ(enabled(), std::make_pair(true, true));
}

TEST_F(QuarantinePage, RestoresIntoTheFolderPickedAndSaysWhetherItWorked) {
  enum Outcome { Restored, NameTaken, Failed, Nothing };
  struct {
    const char* name;
    std::optional<std::wstring> picked;
    std::wstring folder;  // as handed on, ending with "\"
    Outcome outcome;
  } cases[] = {
      {"FolderWithoutBackslash", drive.Path(L"out"), drive.Path(L"out\\"), Restored},
      {"FolderWithBackslash", drive.Path(L"out2\\"), drive.Path(L"out2\\"), Restored},
      {"DriveRoot", drive.root(), drive.root(), Restored},
      {"NameTaken", drive.Path(L"taken"), drive.Path(L"taken\\"), NameTaken},
      {"MissingFolder", drive.Path(L"missing"), drive.Path(L"missing\\"), Failed},
      {"Cancelled", std::nullopt, L"", Nothing},
  };
  Store(L"run.exe", "first");
  Store(L"run.exe", "second");  // stored as run.exe(0)
  drive.MakeFolder(L"out");
  drive.MakeFolder(L"out2");
  drive.MakeFolder(L"taken");
  drive.WriteFile(L"taken\\run.exe(0)", "older file of the same name");
  ShowPage();

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    notifications.clear();
    size_t logged = LogText().size();
    system.QueueFolder(c.picked);
    TComponent& rows = C(L"ListView4");
    for (int i = 0; i < rows.RowCount(); ++i) {
      if (rows.Rows()[static_cast<size_t>(i)].Caption == L"run.exe(0)") rows.SetSelectedRow(i);
    }
    Click(L"btquarantineRestore");
    EXPECT_EQ(system.FolderDialogs().back(), MsgSelectFolder);
    WaitForWorkers();

    if (c.outcome == Nothing) {
      EXPECT_TRUE(notifications.empty());
      EXPECT_EQ(LogText().size(), logged);
      continue;
    }
    std::vector<std::wstring> log = LogText();
    ASSERT_EQ(log.size(), logged + 1);
    switch (c.outcome) {
      case Restored:
        EXPECT_EQ(Fs().ReadAll(c.folder + L"run.exe(0)"), "second");
        // Named as restored, never by the store's name for it.
        EXPECT_EQ(
            notifications,
            (std::vector<Notification>{{MsgSuccessTitle, FormatText(MsgFileRestored, {L"run.exe(0)", c.folder}), 0}}));
        EXPECT_EQ(log.back(), L"quarantineRestoreTo " + c.folder + L"run.exe(0)");
        break;
      case NameTaken:
        // The file there is the user's: it is never replaced, and the notice says why.
        EXPECT_EQ(Fs().ReadAll(c.folder + L"run.exe(0)"), "older file of the same name");
        EXPECT_EQ(drive.Names(L"taken"), std::vector<std::wstring>{L"run.exe(0)"});
        EXPECT_EQ(notifications,
                  (std::vector<Notification>{
                      {MsgFailureTitle, FormatText(MsgRestoreNameTaken, {L"run.exe(0)", c.folder}), 1}}));
        EXPECT_EQ(log.back(), L"quarantineRestoreTo/failed " + c.folder + L"run.exe(0)");
        break;
      default:
        EXPECT_EQ(
            notifications,
            (std::vector<Notification>{{MsgFailureTitle, FormatText(MsgRestoreFailed, {L"run.exe(0)", c.folder}), 1}}));
        EXPECT_EQ(log.back(), L"quarantineRestoreTo/failed " + c.folder + L"run.exe(0)");
    }
  }
  EXPECT_TRUE(Stored(L"run.exe(0).quarantine"));  // a restore keeps the stored copy
}

// With the drive it came from attached, "Restaurer" offers the way back: to the
// same folder under the same name, never over what holds that name now, and only
// through folders that are still on that drive.
TEST_F(QuarantinePage, RestoresToTheOriginalPlaceWhenItsDriveIsAttached) {
  enum Outcome { Restored, NameTaken, FolderGone };
  struct Case {
    const char* name;
    std::function<void(DriveFixture&)> meanwhile;  // after the file was stored
    Outcome outcome;
  };
  const Case cases[] = {
      {"BackInItsFolder", [](DriveFixture& d) { ASSERT_TRUE(Fs().Delete(d.Path(L"docs\\report.exe"))); }, Restored},
      {"NameTakenAgain", [](DriveFixture& d) { d.WriteFile(L"docs\\report.exe", "the user's new file"); }, NameTaken},
      {"FolderGone",
       [](DriveFixture& d) {
         ASSERT_TRUE(Fs().Delete(d.Path(L"docs\\report.exe")));
         ASSERT_TRUE(Fs().RemoveFolder(d.Path(L"docs")));
       },
       FolderGone},
  };
  RecordingObserver observer;
  panel->SetObserver(&observer);
  AddFixtureDrive(drive);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    drive.MakeFolder(L"docs");
    Store(L"docs\\report.exe", "stored");
    c.meanwhile(drive);
    ShowPage();
    SelectSource(L"docs\\report.exe");
    notifications.clear();
    observer.changes.clear();
    Click(L"btquarantineRestore");
    EXPECT_TRUE(observer.Heard(L"PopupMenu4", TProperty::Popup));
    Click(L"RestoreOrigin_m");
    WaitForWorkers();

    const std::wstring target = drive.Path(L"docs\\report.exe");
    switch (c.outcome) {
      case Restored:
        EXPECT_EQ(Fs().ReadAll(target), "stored");
        EXPECT_EQ(notifications,
                  (std::vector<Notification>{
                      {MsgSuccessTitle, FormatText(MsgFileRestored, {L"report.exe", drive.Path(L"docs\\")}), 0}}));
        EXPECT_EQ(LogText().back(), L"quarantineRestoreTo " + target);
        break;
      case NameTaken:
        EXPECT_EQ(Fs().ReadAll(target), "the user's new file");
        EXPECT_EQ(notifications,
                  (std::vector<Notification>{
                      {MsgFailureTitle, FormatText(MsgRestoreNameTaken, {L"report.exe", drive.Path(L"docs\\")}), 1}}));
        EXPECT_EQ(LogText().back(), L"quarantineRestoreTo/failed " + target);
        break;
      case FolderGone:
        EXPECT_EQ(Fs().Attributes(drive.Path(L"docs")), kInvalidAttributes);  // not made anew
        EXPECT_EQ(notifications,
                  (std::vector<Notification>{{MsgFailureTitle, FormatText(MsgRestoreOriginGone, {target}), 1}}));
        break;
    }
    EXPECT_TRUE(system.FolderDialogs().empty());
    // Clean slate for the next case.
    Fs().Delete(target);
    Fs().RemoveFolder(drive.Path(L"docs"));
    EXPECT_TRUE(EmptyQuarantineStore());
  }
  panel->SetObserver(nullptr);
}

// The record is the store's, in a folder every user of the PC can write to: what it
// names is never trusted to be a place on the drive.
TEST_F(QuarantinePage, ARecordThatNamesAnotherPlaceIsNotRestoredThere) {
  AddFixtureDrive(drive);
  DriveFixture other(1);
  other.MakeFolder(L"x");
  Store(L"run.exe", "stored");
  const std::wstring record = QuarantineFolder() + L"run.exe.quarantine.info";
  const std::wstring forged[] = {
      other.Path(L"x\\run.exe"),             // another drive
      drive.Path(L"docs\\..\\..\\run.exe"),  // climbing out
      drive.root() + L"x:\\run.exe",         // a drive in the middle
      drive.root(),                          // no name at all
      drive.Path(L"nul"),                    // a device
  };
  for (const std::wstring& source : forged) {
    SCOPED_TRACE(WideToUtf8(source));
    ASSERT_TRUE(Fs().WriteAll(record, Sys().ToAnsi(source)));
    notifications.clear();
    StartWorker(new TquarantineThread(RestoreToOrigin, L"run.exe.quarantine", drive.root(), panel.get()),
                &State().WorkThreads);
    WaitForWorkers();
    ASSERT_EQ(notifications.size(), 1u);
    EXPECT_EQ(notifications[0].title, MsgFailureTitle);
  }
  EXPECT_EQ(other.Names(L"x"), std::vector<std::wstring>{});
  EXPECT_EQ(drive.Names(L""), std::vector<std::wstring>{L"run.exe"});
}

// Without the drive it came from, the folder choice is the only way.
TEST_F(QuarantinePage, WithoutItsDriveRestoringAsksForAFolderAtOnce) {
  Store(L"run.exe", "stored");
  ASSERT_TRUE(Fs().Delete(drive.Path(L"run.exe")));
  ShowPage();
  SelectSource(L"run.exe");
  system.QueueFolder(std::nullopt);
  Click(L"btquarantineRestore");
  EXPECT_EQ(system.FolderDialogs(), std::vector<std::wstring>{MsgSelectFolder});
}

TEST_F(QuarantinePage, TheWorkerTakesOnlyAStoredEntrysOwnName) {
  Store(L"run.exe", "x");
  drive.MakeFolder(L"out");
  ASSERT_TRUE(Fs().WriteAll(State().DataFolder + L"victim.quarantine", "beside the store"));
  const std::wstring forged = L"..\\victim.quarantine";
  StartWorker(new TquarantineThread(EraseEntry, forged, L"", panel.get()), &State().WorkThreads);
  WaitForWorkers();
  StartWorker(new TquarantineThread(RestoreEntry, forged, drive.Path(L"out\\"), panel.get()), &State().WorkThreads);
  WaitForWorkers();

  EXPECT_EQ(Fs().ReadAll(State().DataFolder + L"victim.quarantine"), "beside the store");
  EXPECT_EQ(drive.Names(L"out"), std::vector<std::wstring>{});
  EXPECT_EQ(notifications,
            (std::vector<Notification>{
                {MsgFailureTitle, FormatText(MsgDisposeFailed, {forged}), 1},
                {MsgFailureTitle, FormatText(MsgRestoreFailed, {L"victim", drive.Path(L"out\\..\\")}), 1}}));
}

TEST_F(QuarantinePage, AFileNamedLikeAStoredFileIsAddressedByItsOwnStoredName) {
  Store(L"notes", "plain notes");  // stored as notes.quarantine
  drive.MakeFolder(L"a");
  Store(L"a\\notes.quarantine", "the real one");  // stored as notes.quarantine.quarantine
  drive.MakeFolder(L"out");
  ShowPage();
  for (const TListRow& row : C(L"ListView4").Rows()) EXPECT_EQ(row.Caption, L"notes");

  SelectSource(L"a\\notes.quarantine");
  system.QueueFolder(drive.Path(L"out"));
  Click(L"btquarantineRestore");
  WaitForWorkers();
  EXPECT_EQ(drive.Read(L"out\\notes.quarantine"), "the real one");
  EXPECT_FALSE(drive.Exists(L"out\\notes"));

  SelectSource(L"a\\notes.quarantine");
  Click(L"btquarantineDel");
  WaitForWorkers();
  EXPECT_FALSE(Stored(L"notes.quarantine.quarantine"));
  EXPECT_EQ(Fs().ReadAll(QuarantineFolder() + L"notes.quarantine"), "plain notes");
  EXPECT_EQ(SortedRows(),
            (std::vector<TListRow>{{L"notes", {L"1ko", Date(L"notes.quarantine"), drive.Path(L"notes")}}}));
}

}  // namespace

}  // namespace dw::test
