#include <gtest/gtest.h>

#include "engine/repair.h"
#include "engine/tools.h"
#include "support/DriveFixture.h"
#include "tools_fixture.h"

namespace dw::test {

namespace {

constexpr uint32_t H = kAttrHidden;
constexpr uint32_t S = kAttrSystem;
constexpr uint32_t R = kAttrReadOnly;
constexpr uint32_t D = kAttrDirectory;

struct Entry {
  const wchar_t* name;
  bool folder;
  uint32_t before;        // hidden, system and read-only as laid out
  uint32_t afterFolders;  // after the folder repair
  uint32_t afterFiles;    // after the file repair
};

// One root as autorun malware leaves it, with what each repair must make of it.
const std::vector<Entry> kRoot = {
    {L"Photos", true, H | S, 0, H | S},
    {L"HiddenOnly", true, H, H, H},
    {L"SystemOnly", true, S, S, S},
    {L"RECYCLER", true, H | S, H | S, H | S},
    {L"$RECYCLE.BIN", true, H | S, H | S, H | S},
    {L"System Volume Information", true, H | S, H | S, H | S},
    {L"FOUND.000", true, H | S, H | S, H | S},
    {L"found.001", true, H | S, H | S, H | S},
    {L"CYCLE", true, H | S, H | S, H | S},  // occurs within the recycle-bin names
    {L"Photos\\Inner", true, H | S, H | S, H | S},
    {L"Photos\\deep.doc", false, H | S, H | S, H | S},
    {L"secret.doc", false, H | S, H | S, 0},
    {L"locked.doc", false, H | S | R, H | S | R, R},
    {L"hidden.doc", false, H, H, H},
    {L"system.doc", false, S, S, S},
    {L"found.chk", false, H | S, H | S, H | S},
    {L"BIN", false, H | S, H | S, H | S},
};

}  // namespace

class ToolsRepairTest : public ToolsFixture {
 protected:
  ToolsRepairTest() {
    AddDrive(drive.letter());
    root = ToUpper(drive.root());
  }

  void Lay(const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
      if (e.folder) {
        drive.MakeFolder(e.name, e.before);
      } else {
        drive.WriteFile(e.name, "data", e.before);
      }
    }
  }
  uint32_t Bits(const std::wstring& rel) const { return drive.Attributes(rel) & (H | S | R | D); }

  // Picks item of PopupMenu3 for the selected drive, answers the confirmation
  // with answer, and waits for the tool to end.
  void Repair(const wchar_t* item, int answer) {
    SelectToolDrive(root);
    system.QueueAnswer(answer);
    Click(item);
    EXPECT_EQ(State().WorkThreads.Count(), 1);  // waiting for its confirmation
    ASSERT_TRUE(WaitForTools());
  }

  std::wstring ChangedText(const std::wstring& shownRoot, int count) {
    return FormatText(MsgAttributesChangedCount, {shownRoot, int64_t{count}});
  }

  DriveFixture drive;
  std::wstring root;
};

TEST_F(ToolsRepairTest, FolderRepairClearsHiddenSystemRootFoldersExceptTheSystemOnes) {
  Lay(kRoot);
  Repair(L"ChangeFoldersAttr_m", kIdYes);

  for (const Entry& e : kRoot) {
    SCOPED_TRACE(WideToUtf8(e.name));
    EXPECT_EQ(Bits(e.name), e.afterFolders | (e.folder ? D : 0));
  }
  ASSERT_EQ(system.MessageBoxes().size(), 1u);
  EXPECT_EQ(system.MessageBoxes()[0].text, MsgAttributeChangeWarning);
  EXPECT_EQ(system.MessageBoxes()[0].caption, L"Confirmation");
  EXPECT_EQ(system.MessageBoxes()[0].type, kMbYesNoCancel);
  EXPECT_EQ(notifications, (std::vector<Notification>{{L"Opération réussi", ChangedText(root, 1), 0}}));
  EXPECT_FALSE(ElevationRequested());
}

TEST_F(ToolsRepairTest, FileRepairClearsHiddenSystemRootFilesAndNeverFolders) {
  Lay(kRoot);
  Repair(L"ChangeFilesAttr_m", kIdYes);

  for (const Entry& e : kRoot) {
    SCOPED_TRACE(WideToUtf8(e.name));
    EXPECT_EQ(Bits(e.name), e.afterFiles | (e.folder ? D : 0));
  }
  EXPECT_EQ(notifications, (std::vector<Notification>{{MsgSuccessTitle, ChangedText(root, 2), 0}}));
}

// Folders a worm hid without the system attribute are not the attribute repair's:
// it changes nothing, and says so instead of calling that a success.
TEST_F(ToolsRepairTest, ARepairThatFindsNothingToChangeSaysSo) {
  drive.MakeFolder(L"Holidays", H);
  drive.MakeFolder(L"RECYCLER", H | S);
  for (const wchar_t* item : {L"ChangeFoldersAttr_m", L"ChangeFilesAttr_m"}) {
    notifications.clear();
    Repair(item, kIdYes);
    EXPECT_EQ(notifications,
              (std::vector<Notification>{{L"Information", FormatText(MsgAttributesNothingChanged, {root}), 0}}))
        << WideToUtf8(item);
    EXPECT_NE(notifications.at(0).msg.find(L"Rien n'a été changé sur " + root), std::wstring::npos);
  }
  EXPECT_EQ(Bits(L"Holidays"), D | H);
}

TEST_F(ToolsRepairTest, ALowerCaseRecyclerIsRepaired) {
  drive.MakeFolder(L"recycler", H | S);
  drive.MakeFolder(L"Recycled", H | S);
  Repair(L"ChangeFoldersAttr_m", kIdYes);
  EXPECT_EQ(Bits(L"recycler"), D);
  EXPECT_EQ(Bits(L"Recycled"), D);
}

TEST_F(ToolsRepairTest, ADeclinedConfirmationChangesNothingAndSaysNothing) {
  Lay(kRoot);
  for (const wchar_t* item : {L"ChangeFoldersAttr_m", L"ChangeFilesAttr_m"}) {
    for (int answer : {kIdNo, kIdCancel}) {
      SCOPED_TRACE(answer);
      Repair(item, answer);
      for (const Entry& e : kRoot) EXPECT_EQ(Bits(e.name), e.before | (e.folder ? D : 0)) << WideToUtf8(e.name);
    }
  }
  EXPECT_EQ(system.MessageBoxes().size(), 4u);
  EXPECT_TRUE(notifications.empty());
  EXPECT_EQ(State().WorkThreads.Count(), 0);
}

TEST_F(ToolsRepairTest, AnEntryThatCannotBeChangedAsksForElevationAndIsReportedAsAFailure) {
  drive.MakeFolder(L"Stuck", H | S);
  RefusingFileSystem refusing(Fs());
  refusing.refuseSetAttributes = [](const std::wstring& path) { return path.ends_with(L"Stuck"); };
  ScopedPlatform guard(Platform{.fs = &refusing});

  Repair(L"ChangeFoldersAttr_m", kIdYes);

  EXPECT_EQ(Bits(L"Stuck"), D | H | S);
  EXPECT_TRUE(ElevationRequested());
  EXPECT_TRUE(State().StopRequested.load());
  EXPECT_EQ(notifications, (std::vector<Notification>{
                               {L"Opération échouée",
                                L"Les attributs de certains éléments de " + root + L" n'ont pas pu être changés", 1}}));
}

TEST_F(ToolsRepairTest, TrayEntriesRepairTheDriveWithItsLowerCaseRoot) {
  drive.MakeFolder(L"Photos", H | S);
  drive.WriteFile(L"secret.doc", "data", H | S);
  const std::wstring entry = L"USBSTICK (" + root + L")";

  system.QueueAnswer(kIdYes);
  PickTrayEntry(L"resetfolder_m", entry);
  // The folder repair from the tray menu is not registered as a worker.
  EXPECT_EQ(State().WorkThreads.Count(), 0);
  ASSERT_TRUE(Pump([&] { return notifications.size() == 1; }));
  EXPECT_EQ(Bits(L"Photos"), D);
  EXPECT_EQ(Bits(L"secret.doc"), H | S);

  system.QueueAnswer(kIdYes);
  PickTrayEntry(L"resetfile_m", entry);
  EXPECT_EQ(State().WorkThreads.Count(), 1);
  ASSERT_TRUE(WaitForTools());
  EXPECT_EQ(Bits(L"secret.doc"), 0u);

  const std::vector<Notification> expected(2, {MsgSuccessTitle, ChangedText(drive.root(), 1), 0});
  EXPECT_EQ(notifications, expected);
}

// The whole repair of a drive, from the tools page and from the tray menu: it
// asks first, naming the drive, and ends with one notice of what it did.
TEST_F(ToolsRepairTest, TheDriveRepairAsksThenGivesTheFilesBackAndSaysWhatItDid) {
  TempFolder data;  // the quarantine's
  State().DataFolder = data.path();
  const std::wstring nbsp = L"\u00A0";
  drive.MakeFolder(L"Holidays", H);
  drive.MakeFolder(nbsp, H | S);
  drive.WriteFile(nbsp + L"\\Report.docx", "the user's report");
  // Listed by the drive's scan at its arrival; the repair takes it and its row.
  drive.WriteFile(L"svchost.exe", "MZ the worm", H | S);
  State().DriveList.Get(0)->Risk.Add(drive.root() + L"svchost.exe");
  State().RiskList.Add(drive.root() + L"svchost.exe");
  State().FindingsSeen.Add(drive.root() + L"svchost.exe");
  panel->RefreshFindingsView(0);
  const std::wstring named = L"USBSTICK (" + root + L")";

  // A refresh of the page (a finding, a drive arriving) keeps the drive picked.
  SelectToolDrive(root);
  panel->refreshBt();
  EXPECT_EQ(panel->SelectedToolDrive(), root);

  for (int answer : {kIdNo, kIdCancel}) {
    system.QueueAnswer(answer);
    Click(L"RepairDrive_m");
    EXPECT_EQ(State().WorkThreads.Count(), 0);
  }
  EXPECT_EQ(Bits(L"Holidays"), D | H);
  EXPECT_TRUE(notifications.empty());

  system.QueueAnswer(kIdYes);
  Click(L"RepairDrive_m");
  ASSERT_TRUE(Pump([&] { return notifications.size() == 1; }));
  ASSERT_TRUE(WaitForTools());
  ASSERT_EQ(system.MessageBoxes().size(), 3u);
  EXPECT_EQ(system.MessageBoxes()[2].text, FormatText(MsgRepairConfirm, {std::wstring(L"Drivewarden"), named}));
  EXPECT_EQ(system.MessageBoxes()[2].caption, L"Confirmation");
  EXPECT_EQ(Bits(L"Holidays"), D);
  EXPECT_EQ(drive.Read(L"Report.docx"), "the user's report");
  EXPECT_FALSE(drive.Exists(nbsp));
  EXPECT_FALSE(drive.Exists(L"svchost.exe"));
  EXPECT_EQ(C(L"ListView1").RowCount(), 0);
  EXPECT_EQ(State().FindingsSeen.Count(), 0);
  EXPECT_EQ(notifications, (std::vector<Notification>{{L"Le disque " + named + L" a été réparé",
                                                       L"1 fichier rendu visible, 1 déplacé à la racine, "
                                                       L"1 fichier du virus mis en quarantaine",
                                                       0}}));
  EXPECT_EQ(C(L"Label13").Caption(), L"Le disque " + named + L" a été réparé");

  // The tray menu's entry; a drive that cannot be read is not called repaired.
  State().DriveList.Get(0)->FileSysName.clear();
  system.QueueAnswer(kIdYes);
  PickTrayEntry(L"repairdisk_m", named);
  ASSERT_TRUE(Pump([&] { return notifications.size() == 2; }));
  ASSERT_TRUE(WaitForTools());
  EXPECT_EQ(notifications[1].title, L"Le disque " + named + L" n'a pas pu être entièrement réparé");
  EXPECT_EQ(notifications[1].itype, 1);

  // With the protection off nothing is asked: the user is told why.
  State().ProtectionEnabled = false;
  PickTrayEntry(L"repairdisk_m", named);
  EXPECT_EQ(system.MessageBoxes().size(), 4u);
  EXPECT_EQ(notifications.back().msg, MsgProtectionOffNoScan);
  EXPECT_EQ(State().WorkThreads.Count(), 0);
  State().ProtectionEnabled = true;
}

TEST_F(ToolsRepairTest, AStoppedWalkEndsAfterTheEntryInHand) {
  for (const wchar_t* name : {L"One", L"Two", L"Three"}) drive.MakeFolder(name, H | S);
  int asked = 0;
  EXPECT_TRUE(RepairAttributes(drive.root(), kRepairFoldersMask, [&] {
                ++asked;
                return true;
              }).complete);
  EXPECT_EQ(asked, 1);
  int repaired = 0;
  for (const wchar_t* name : {L"One", L"Two", L"Three"}) repaired += Bits(name) == D;
  EXPECT_EQ(repaired, 1);
}

TEST(NeverRepairedTest, NamesKeptAsTheyAre) {
  for (const wchar_t* kept : {L"RECYCLER", L"$RECYCLE.BIN", L"RECYCLE.BIN", L"BIN", L"CYCLE", L";", L"R;$",
                              L"System Volume Information", L"FOUND.000", L"found.001", L"Found.txt"})
    EXPECT_TRUE(NeverRepaired(kept)) << WideToUtf8(kept);
  for (const wchar_t* repaired : {L"recycler", L"$Recycle.Bin", L"system volume information",
                                  L"System Volume Information2", L"FOUND", L"FOUND000", L"Photos"})
    EXPECT_FALSE(NeverRepaired(repaired)) << WideToUtf8(repaired);
}

}  // namespace dw::test
