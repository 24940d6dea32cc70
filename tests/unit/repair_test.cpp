// The drive repair on sticks laid out as the worm families leave them: the user's
// files come back to the root, visible and whole, and the worm's entries go to the
// quarantine; ordinary sticks are left exactly as they were.
#include "engine/repair.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "clean_sticks.h"
#include "common/Text.h"
#include "engine/quarantine.h"
#include "support/ForwardingFileSystem.h"
#include "support/ScanHarness.h"
#include "support/ShortcutBuilder.h"

namespace dw::test {

namespace {

const std::wstring kCmd = L"C:\\Windows\\System32\\cmd.exe";
const std::wstring kNbsp = L"\u00A0";
const std::string kIconIni = "[.ShellClassInfo]\r\nIconResource=%systemroot%\\system32\\SHELL32.dll,7\r\n";
const std::string kReport = "PK\x03\x04 the user's report";
const std::string kPhoto = "\xFF\xD8\xFF\xE0 a photo";
const std::string kNotes = "notes of the user";

std::string Shortcut(const std::wstring& target, const std::wstring& arguments) {
  return ShortcutBuilder(target).Arguments(arguments).IconLocation(L"%SystemRoot%\\System32\\shell32.dll", 7).Build();
}

struct RepairRun {
  TRepairCounts counts;
  std::vector<TRepairStep> steps;
};

RepairRun Repair(ScanHarness& h, const PdiskInfo& drive, bool dryRun = false) {
  RepairRun run;
  bool ended = false;
  StartWorker(new TRepairThread(
                  drive, dryRun, [&](const TRepairStep& step) { run.steps.push_back(step); },
                  [&](const TRepairCounts& counts) {
                    run.counts = counts;
                    ended = true;
                  }),
              &State().WorkThreads);
  h.mainThread.PumpUntil([&] { return ended && State().WorkThreads.Count() == 0; });
  return run;
}

std::string StepsText(const RepairRun& run) {
  std::string text;
  for (const TRepairStep& step : run.steps) {
    text += std::string(RepairActionName(step.action)) + " " + WideToUtf8(step.path);
    if (!step.to.empty()) text += " -> " + WideToUtf8(step.to);
    if (!step.reason.empty()) text += " (" + WideToUtf8(step.reason) + ")";
    text += "\n";
  }
  return text;
}

// Every entry of the drive with its attributes and, for files, its bytes.
using Tree = std::map<std::wstring, std::pair<uint32_t, std::string>>;

void Collect(const DriveFixture& d, const std::wstring& folder, Tree& tree) {
  for (const std::wstring& name : d.Names(folder)) {
    const std::wstring rel = folder.empty() ? name : folder + L"\\" + name;
    const uint32_t attributes = d.Attributes(rel);
    const bool isFolder = (attributes & kAttrDirectory) && !(attributes & kAttrReparsePoint);
    tree[rel] = {attributes, isFolder ? std::string() : d.Read(rel)};
    if (isFolder) Collect(d, rel, tree);
  }
}

Tree Snapshot(const DriveFixture& d) {
  Tree tree;
  Collect(d, L"", tree);
  return tree;
}

int QuarantinedFiles() {
  int count = 0;
  ListQuarantineEntries([&](const QuarantineEntry&) { return ++count, true; });
  return count;
}

// PlugX: one shortcut named after the stick; everything else two U+00A0 folders
// down, beside a fake recycle bin that holds the side-loading kit.
void PlugX(DriveFixture& d) {
  const std::wstring inner = kNbsp + L"\\" + kNbsp;
  d.WriteFile(L"USBDISK.lnk", Shortcut(kCmd, L"/q /c \"" + inner + L"\\RECYCLER.BIN\\files\\x32dbg.exe\""));
  d.MakeFolder(kNbsp, kHiddenSystemFolder);
  d.WriteFile(kNbsp + L"\\desktop.ini", kIconIni, kHiddenSystem);
  d.MakeFolder(inner, kHiddenSystemFolder);
  d.WriteFile(inner + L"\\desktop.ini", kIconIni, kHiddenSystem);
  d.WriteFile(inner + L"\\Report.docx", kReport);
  d.MakeFolder(inner + L"\\Photos");
  d.WriteFile(inner + L"\\Photos\\cat.jpg", kPhoto);
  d.MakeFolder(inner + L"\\RECYCLER.BIN", kHiddenSystemFolder);
  d.WriteFile(inner + L"\\RECYCLER.BIN\\desktop.ini",
              "[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n", kHiddenSystem);
  d.MakeFolder(inner + L"\\RECYCLER.BIN\\files");
  d.WriteFile(inner + L"\\RECYCLER.BIN\\files\\x32dbg.exe", kProgram);
  d.WriteFile(inner + L"\\RECYCLER.BIN\\files\\x32bridge.dll", kProgram);
  d.WriteFile(inner + L"\\RECYCLER.BIN\\files\\x32bridge.dat", "SIMULATED PlugX payload - harmless");
}

// Gamarue: rundll32 on a "~$" library, code in the root's desktop.ini, the user's
// files in a folder whose name is a blank.
void Gamarue(DriveFixture& d) {
  const std::wstring blank = L"\u2007";
  d.WriteFile(L"USB DRIVE (8GB).lnk", Shortcut(L"C:\\Windows\\System32\\rundll32.exe", L"~$WYDCNU.FAT32,Run"));
  d.WriteFile(L"~$WYDCNU.FAT32", kProgram, kHiddenSystem | kAttrArchive);
  d.WriteFile(L"desktop.ini", std::string("\x8F\x1A\x00\x07\xC3 encoded", 13), kHiddenSystem | kAttrArchive);
  d.MakeFolder(blank, kHiddenSystemFolder);
  d.WriteFile(blank + L"\\desktop.ini", kIconIni, kHiddenSystem);
  d.WriteFile(blank + L"\\Notes.txt", kNotes);
  d.MakeFolder(blank + L"\\Photos");
  d.WriteFile(blank + L"\\Photos\\cat.jpg", kPhoto);
}

// movemenoreg: "_" holds the script and the user's files.
void Underscore(DriveFixture& d) {
  d.WriteFile(L"PENDRIVE.lnk", Shortcut(kCmd, L"/c start _\\movemenoreg.vbs & start explorer _"));
  d.MakeFolder(L"_", kHiddenSystemFolder);
  d.WriteFile(L"_\\movemenoreg.vbs", "WScript.Echo \"SIMULATED movemenoreg payload - harmless\"\r\n");
  d.WriteFile(L"_\\Report.docx", kReport);
  d.WriteFile(L"_\\Notes.txt", kNotes, kHidden);
}

// Phorpiex: "__" holds the program and the user's files.
void DoubleUnderscore(DriveFixture& d) {
  d.WriteFile(L"KINGSTON.lnk", Shortcut(kCmd, L"/c start __ & __\\DriveMgr.exe & exit"));
  d.MakeFolder(L"__", kHiddenSystemFolder);
  d.WriteFile(L"__\\DriveMgr.exe", kProgram, kHiddenSystem);
  d.WriteFile(L"__\\Report.docx", kReport);
  d.MakeFolder(L"__\\Photos");
  d.WriteFile(L"__\\Photos\\cat.jpg", kPhoto);
}

// A root emptied into one hidden folder of a random name, which the launcher does
// not name.
void RandomFolderOnEmptiedRoot(DriveFixture& d) {
  d.WriteFile(L"SANDISK.lnk", Shortcut(L"C:\\Windows\\System32\\rundll32.exe", L"wqxkz.dll,Start"));
  d.WriteFile(L"wqxkz.dll", kProgram, kHiddenSystem);
  d.MakeFolder(L"wqxkzprt", kHiddenFolder);
  d.WriteFile(L"wqxkzprt\\Report.docx", kReport);
  d.WriteFile(L"wqxkzprt\\Notes.txt", kNotes);
}

// The shortcut virus: everything hidden in place, one shortcut per item; the
// system's own hidden entries stay hidden.
void ShortcutVirus(DriveFixture& d) {
  d.WriteFile(L"iTunesHelper.vbe", "' SIMULATED Jenxcus payload - harmless\r\n" + std::string(200, '\n'),
              kHiddenSystem);
  d.WriteFile(L"Secret Text File.txt", kNotes, kHiddenSystem);
  d.WriteFile(L"Secret Text File.lnk",
              Shortcut(kCmd, L"/c start iTunesHelper.vbe&start Secret\" \"Text\" \"File.txt&exit"));
  d.MakeFolder(L"Photos", kHiddenSystemFolder);
  d.WriteFile(L"Photos\\cat.jpg", kPhoto);
  d.WriteFile(L"Photos.lnk", Shortcut(kCmd, L"/c start iTunesHelper.vbe&start explorer Photos&exit"));
  SystemVolumeInformation(d);
  d.WriteFile(L"~$port.docx", std::string(162, 'o'), kHidden);
}

// Documents hidden only, each replaced by a shortcut of its name; a folder hidden
// only beside them.
void DocumentsReplacedByShortcuts(DriveFixture& d) {
  d.WriteFile(L"sysupd.vbs", "WScript.Echo \"SIMULATED payload - harmless\"\r\n", kHidden);
  d.WriteFile(L"Report.docx", kReport, kHidden);
  d.WriteFile(L"Report.docx.lnk", Shortcut(kCmd, L"/c start sysupd.vbs&start Report.docx&exit"));
  d.WriteFile(L"Notes.txt", kNotes, kHidden);
  d.WriteFile(L"Notes.lnk", Shortcut(kCmd, L"/c start sysupd.vbs&start Notes.txt&exit"));
  d.MakeFolder(L"Holidays", kHiddenFolder);
  d.WriteFile(L"Holidays\\beach.jpg", kPhoto);
  // Windows' own dressing of a folder with a custom icon.
  d.MakeFolder(L"Projects", kAttrSystem | kAttrDirectory);
  d.WriteFile(L"Projects\\desktop.ini",
              "[.ShellClassInfo]\r\nIconResource=C:\\Windows\\System32\\imageres.dll,-112\r\n", kHiddenSystem);
}

struct InfectedStick {
  const char* name;
  std::wstring label;
  std::function<void(DriveFixture&)> arrange;
  std::map<std::wstring, std::string> userFiles;  // where each is afterwards, and its bytes
  std::vector<std::wstring> gone;                 // the worm's entries
  std::vector<std::wstring> untouched;            // the system's own: their attributes stay
};

void PrintTo(const InfectedStick& c, std::ostream* os) { *os << c.name; }

const InfectedStick kInfectedSticks[] = {
    {"PlugXNestedNbsp",
     L"USBDISK",
     PlugX,
     {{L"Report.docx", kReport}, {L"Photos\\cat.jpg", kPhoto}},
     {L"USBDISK.lnk", kNbsp},
     {}},
    {"GamarueBlankFolder",
     L"USB DRIVE",
     Gamarue,
     {{L"Notes.txt", kNotes}, {L"Photos\\cat.jpg", kPhoto}},
     {L"USB DRIVE (8GB).lnk", L"~$WYDCNU.FAT32", L"desktop.ini", L"\u2007"},
     {}},
    {"UnderscoreFolder",
     L"PENDRIVE",
     Underscore,
     {{L"Report.docx", kReport}, {L"Notes.txt", kNotes}},
     {L"PENDRIVE.lnk", L"_"},
     {}},
    {"DoubleUnderscoreFolder",
     L"KINGSTON",
     DoubleUnderscore,
     {{L"Report.docx", kReport}, {L"Photos\\cat.jpg", kPhoto}},
     {L"KINGSTON.lnk", L"__"},
     {}},
    {"RandomHiddenFolderOnEmptiedRoot",
     L"SANDISK",
     RandomFolderOnEmptiedRoot,
     {{L"Report.docx", kReport}, {L"Notes.txt", kNotes}},
     {L"SANDISK.lnk", L"wqxkz.dll", L"wqxkzprt"},
     {}},
    {"ShortcutVirusHidingInPlace",
     L"USBSTICK",
     ShortcutVirus,
     {{L"Secret Text File.txt", kNotes}, {L"Photos\\cat.jpg", kPhoto}},
     {L"iTunesHelper.vbe", L"Secret Text File.lnk", L"Photos.lnk"},
     {L"System Volume Information", L"~$port.docx"}},
    {"DocumentsReplacedBySameNamedShortcuts",
     L"USBSTICK",
     DocumentsReplacedByShortcuts,
     {{L"Report.docx", kReport}, {L"Notes.txt", kNotes}, {L"Holidays\\beach.jpg", kPhoto}},
     {L"sysupd.vbs", L"Report.docx.lnk", L"Notes.lnk"},
     {L"Projects", L"Projects\\desktop.ini"}},
};

class InfectedStickTest : public ::testing::TestWithParam<InfectedStick> {};

TEST_P(InfectedStickTest, GivesEveryFileBackAtTheRootAndLeavesNoLauncher) {
  const InfectedStick& stick = GetParam();
  DriveFixture drive;
  ScanHarness h;
  stick.arrange(drive);
  PdiskInfo record = h.Drive(drive);
  record->VolName = stick.label;
  std::map<std::wstring, uint32_t> attributesBefore;
  for (const std::wstring& rel : stick.untouched) attributesBefore[rel] = drive.Attributes(rel);

  RepairRun run = Repair(h, record);
  const std::string steps = StepsText(run);
  EXPECT_EQ(run.counts.failed, 0) << steps;
  EXPECT_EQ(run.counts.kept, 0) << steps;
  for (const auto& [rel, bytes] : stick.userFiles) {
    EXPECT_EQ(drive.Read(rel), bytes) << WideToUtf8(rel) << "\n" << steps;
    const std::wstring top = rel.substr(0, rel.find(L'\\'));
    EXPECT_EQ(drive.Attributes(top) & (kAttrHidden | kAttrSystem), 0u) << WideToUtf8(top) << "\n" << steps;
  }
  for (const std::wstring& rel : stick.gone) EXPECT_FALSE(drive.Exists(rel)) << WideToUtf8(rel) << "\n" << steps;
  for (const auto& [rel, attributes] : attributesBefore)
    EXPECT_EQ(drive.Attributes(rel), attributes) << WideToUtf8(rel);
  EXPECT_GT(QuarantinedFiles(), 0);
  // The log holds each step, between the repair's start and its end.
  std::vector<std::wstring> repairEntries;
  for (const std::wstring& entry : h.LogText())
    if (entry.rfind(L"repair/", 0) == 0) repairEntries.push_back(entry);
  EXPECT_EQ(repairEntries.size(), run.steps.size() + 2);
  ASSERT_FALSE(repairEntries.empty());
  EXPECT_EQ(repairEntries.front(), L"repair/start " + drive.root());
  EXPECT_EQ(repairEntries.back(), L"repair/end " + drive.root());

  // A second run finds nothing left to do.
  const Tree repaired = Snapshot(drive);
  RepairRun again = Repair(h, record);
  EXPECT_TRUE(again.steps.empty()) << StepsText(again);
  EXPECT_EQ(Snapshot(drive), repaired);
}

INSTANTIATE_TEST_SUITE_P(Families, InfectedStickTest, ::testing::ValuesIn(kInfectedSticks),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// A repair pulled out once the launchers had gone: what the worm did to the user's
// items still shows, and the next run completes the job.
TEST(Repair, ARunAfterOneCutShortCompletesTheJob) {
  struct Case {
    const char* name;
    std::function<void(DriveFixture&)> arrange;
    std::map<std::wstring, std::string> userFiles;
  };
  const Case cases[] = {
      {"HiddenInPlace",
       [](DriveFixture& d) {
         d.WriteFile(L"Secret Text File.txt", kNotes, kHiddenSystem);
         d.MakeFolder(L"Photos", kHiddenSystemFolder);
         d.WriteFile(L"Photos\\cat.jpg", kPhoto);
         SystemVolumeInformation(d);
       },
       {{L"Secret Text File.txt", kNotes}, {L"Photos\\cat.jpg", kPhoto}}},
      {"MovedIntoOneFolder",
       [](DriveFixture& d) {
         d.MakeFolder(L"wqxkzprt", kHiddenSystemFolder);
         d.WriteFile(L"wqxkzprt\\Report.docx", kReport);
       },
       {{L"Report.docx", kReport}}},
      {"HalfMovedOutOfAChain",
       [](DriveFixture& d) {
         d.WriteFile(L"Report.docx", kReport);
         d.MakeFolder(kNbsp, kHiddenSystemFolder);
         d.MakeFolder(kNbsp + L"\\" + kNbsp, kHiddenSystemFolder);
         d.WriteFile(kNbsp + L"\\" + kNbsp + L"\\Notes.txt", kNotes);
       },
       {{L"Report.docx", kReport}, {L"Notes.txt", kNotes}}},
  };
  for (const Case& c : cases) {
    DriveFixture drive;
    ScanHarness h;
    c.arrange(drive);
    RepairRun run = Repair(h, h.Drive(drive));
    const std::string steps = StepsText(run);
    EXPECT_EQ(run.counts.failed + run.counts.kept, 0) << c.name << "\n" << steps;
    for (const auto& [rel, bytes] : c.userFiles) {
      EXPECT_EQ(drive.Read(rel), bytes) << c.name << " " << WideToUtf8(rel) << "\n" << steps;
      const std::wstring top = rel.substr(0, rel.find(L'\\'));
      EXPECT_EQ(drive.Attributes(top) & (kAttrHidden | kAttrSystem), 0u) << c.name << " " << WideToUtf8(top);
    }
    EXPECT_TRUE(drive.Attributes(L"System Volume Information") == kInvalidAttributes ||
                (drive.Attributes(L"System Volume Information") & kAttrHidden))
        << c.name;
  }
}

TEST(Repair, ATakenNameGetsANumberAndNothingIsReplaced) {
  DriveFixture drive;
  ScanHarness h;
  Underscore(drive);
  drive.WriteFile(L"Report.docx", "the copy already on the root");
  drive.WriteFile(L"Report (2).docx", "another copy");
  RepairRun run = Repair(h, h.Drive(drive));
  EXPECT_EQ(run.counts.failed, 0) << StepsText(run);
  EXPECT_EQ(drive.Read(L"Report.docx"), "the copy already on the root");
  EXPECT_EQ(drive.Read(L"Report (2).docx"), "another copy");
  EXPECT_EQ(drive.Read(L"Report (3).docx"), kReport);
  EXPECT_FALSE(drive.Exists(L"_"));
}

TEST(Repair, DryRunChangesNothingAndTellsWhatItWouldDo) {
  DriveFixture drive;
  ScanHarness h;
  PlugX(drive);
  drive.WriteFile(L"Report.docx", "the copy already on the root");
  const Tree before = Snapshot(drive);
  RepairRun run = Repair(h, h.Drive(drive), true);
  EXPECT_EQ(Snapshot(drive), before);
  EXPECT_EQ(QuarantinedFiles(), 0);
  const std::string steps = StepsText(run);
  EXPECT_NE(steps.find("quarantined " + WideToUtf8(drive.Path(L"USBDISK.lnk"))), std::string::npos) << steps;
  EXPECT_NE(steps.find("-> " + WideToUtf8(drive.Path(L"Report (2).docx"))), std::string::npos) << steps;
  EXPECT_NE(steps.find("-> " + WideToUtf8(drive.Path(L"Photos"))), std::string::npos) << steps;
  EXPECT_EQ(run.counts.failed, 0) << steps;
  for (const std::wstring& entry : h.LogText()) EXPECT_NE(entry.rfind(L"repair/", 0), 0u) << WideToUtf8(entry);
}

class CleanStickRepairTest : public ::testing::TestWithParam<CleanStick> {};

TEST_P(CleanStickRepairTest, LeavesTheStickAsItWas) {
  const CleanStick& stick = GetParam();
  DriveFixture drive;
  ScanHarness h;
  stick.arrange(drive);
  PdiskInfo record = h.Drive(drive);
  record->VolName = stick.label;
  const Tree before = Snapshot(drive);
  RepairRun run = Repair(h, record);
  EXPECT_TRUE(run.steps.empty()) << StepsText(run);
  EXPECT_EQ(Snapshot(drive), before);
}

// Install media and the PortableApps stick carry an autorun file that starts a
// program, which the classic rules report: the repair takes both away.
std::vector<CleanStick> SticksWithoutFindings() {
  std::vector<CleanStick> sticks;
  for (const CleanStick& stick : kCleanSticks) {
    const std::string name = stick.name;
    if (name.find("Install") == std::string::npos && name != "PortableApps") sticks.push_back(stick);
  }
  return sticks;
}

INSTANTIATE_TEST_SUITE_P(OrdinarySticks, CleanStickRepairTest, ::testing::ValuesIn(SticksWithoutFindings()),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// The scan at the drive's arrival set its autorun file aside: to a second scan it
// is no autorun file, and its program no autorun target. What the user still sees
// listed goes all the same.
TEST(Repair, WhatAnEarlierScanListedIsQuarantinedToo) {
  DriveFixture drive;
  ScanHarness h;
  drive.WriteFile(L"autorun.inf", "[autorun]\r\nopen=setup.exe\r\n");
  drive.WriteFile(L"setup.exe", "MZ the worm");
  drive.WriteFile(L"Report.docx", kReport);
  const PdiskInfo record = h.Drive(drive);
  ASSERT_GT(h.Scan(record), 0);
  ASSERT_TRUE(drive.Exists(L"autorun.inf.ren"));

  RepairRun run = Repair(h, record);
  const std::string steps = StepsText(run);
  EXPECT_FALSE(drive.Exists(L"autorun.inf.ren")) << steps;
  EXPECT_FALSE(drive.Exists(L"setup.exe")) << steps;
  EXPECT_EQ(drive.Read(L"Report.docx"), kReport);
  EXPECT_EQ(run.counts.quarantined, 2) << steps;
  EXPECT_EQ(State().ThreatList.Count() + State().RiskList.Count(), 0);
}

TEST(Repair, AMoveThatFailsIsReportedFailedAndTheFileStaysWhole) {
  DriveFixture drive;
  ScanHarness h;
  Underscore(drive);
  PdiskInfo record = h.Drive(drive);
  RefusingMoveFs refusing(Fs());
  RepairRun run;
  {
    ScopedPlatform guard(Platform{.fs = &refusing});
    run = Repair(h, record);
  }
  const std::string steps = StepsText(run);
  EXPECT_GE(run.counts.failed, 2) << steps;
  EXPECT_EQ(run.counts.moved, 0) << steps;
  EXPECT_NE(steps.find("failed " + WideToUtf8(drive.Path(L"_\\Report.docx"))), std::string::npos) << steps;
  EXPECT_NE(steps.find("kept " + WideToUtf8(drive.Path(L"_"))), std::string::npos) << steps;
  EXPECT_EQ(drive.Read(L"_\\Report.docx"), kReport);
  EXPECT_EQ(drive.Read(L"_\\Notes.txt"), kNotes);
}

TEST(Repair, ADriveThatIsNotScannedIsLeftAsItWas) {
  DriveFixture drive;
  ScanHarness h;
  Underscore(drive);
  PdiskInfo record = h.Drive(drive);
  State().ExcludedDrives.Add(record->root);
  const Tree before = Snapshot(drive);
  RepairRun run = Repair(h, record);
  EXPECT_EQ(run.counts.failed, 1) << StepsText(run);
  EXPECT_EQ(run.steps.size(), 1u) << StepsText(run);
  EXPECT_EQ(Snapshot(drive), before);
}

// The end pop-up says "repaired" only of a repair that gave everything back, and
// counts only what was done, in French of the right number.
TEST(Repair, TheSummaryCountsWhatWasDoneAndNeverClaimsAFailedRepair) {
  const std::wstring drive = L"CLE (E:\\)";
  struct Case {
    TRepairCounts counts;
    bool complete;
    std::wstring text;
  } cases[] = {
      {{.quarantined = 2, .moved = 3, .unhidden = 12},
       true,
       L"12 fichiers rendus visibles, 3 déplacés à la racine, 2 fichiers du virus mis en quarantaine"},
      {{.quarantined = 1, .moved = 1, .unhidden = 1},
       true,
       L"1 fichier rendu visible, 1 déplacé à la racine, 1 fichier du virus mis en quarantaine"},
      {{.quarantined = 4, .removed = 1}, true, L"4 fichiers du virus mis en quarantaine"},
      {{}, true, L"Rien n'était à réparer sur ce disque"},
      {{.moved = 2, .kept = 1},
       false,
       L"2 déplacés à la racine\n1 dossier(s) caché(s) laissé(s) en place : ils contiennent encore des éléments"},
      {{.quarantined = 1, .failed = 2},
       false,
       L"1 fichier du virus mis en quarantaine\n2 étape(s) n'ont pas pu être faites : voir le journal"},
      {{.failed = 1}, false, L"1 étape(s) n'ont pas pu être faites : voir le journal"},
  };
  for (const Case& c : cases) {
    const TRepairSummary summary = SummariseRepair(drive, c.counts);
    EXPECT_EQ(summary.complete, c.complete) << WideToUtf8(c.text);
    EXPECT_EQ(summary.text, c.text);
    EXPECT_EQ(summary.title, c.complete ? L"Le disque CLE (E:\\) a été réparé"
                                        : L"Le disque CLE (E:\\) n'a pas pu être entièrement réparé");
  }
}

#ifndef _WIN32
void WriteHostFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(Repair, AHidingFolderThatIsALinkIsNotFollowed) {
  DriveFixture drive;
  ScanHarness h;
  TempFolder outside;
  const std::filesystem::path elsewhere = WideToUtf8(outside.path().substr(0, outside.path().size() - 1));
  WriteHostFile(elsewhere / "thesis.docx", "precious");
  const std::filesystem::path root = drive.UnixFolder();
  drive.WriteFile(L"PENDRIVE.lnk", Shortcut(kCmd, L"/c start _\\movemenoreg.vbs & start explorer _"));
  std::filesystem::create_directory_symlink(elsewhere, root / "_");
  // A chain whose second link leads off the drive as well.
  drive.MakeFolder(L"__", kHiddenSystemFolder);
  drive.WriteFile(L"__\\Report.docx", kReport);
  std::filesystem::create_directory_symlink(elsewhere, root / "__" / "___");

  RepairRun run = Repair(h, h.Drive(drive));
  const std::string steps = StepsText(run);
  EXPECT_EQ(drive.Read(L"Report.docx"), kReport) << steps;
  EXPECT_FALSE(drive.Exists(L"thesis.docx")) << steps;
  EXPECT_TRUE(std::filesystem::is_symlink(root / "_"));
  EXPECT_TRUE(std::filesystem::is_symlink(root / "__" / "___"));
  std::ifstream kept(elsewhere / "thesis.docx", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(elsewhere), {}), 1);
  EXPECT_NE(steps.find("kept " + WideToUtf8(drive.Path(L"__"))), std::string::npos) << steps;
}
#endif

}  // namespace

}  // namespace dw::test
