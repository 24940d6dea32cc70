#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "common/Text.h"
#include "engine/rules.h"
#include "support/ScanHarness.h"

namespace dw::test {

namespace {

constexpr uint32_t kHidden = kAttrHidden;
constexpr uint32_t kHiddenSystem = kAttrHidden | kAttrSystem;

struct RuleCase {
  const char* name;
  std::function<void(DriveFixture&)> arrange;
  std::vector<std::wstring> threats;     // relative to the root, in report order
  std::vector<std::wstring> suspicious;  // relative to the root, any order
  int count;
  bool thorough = false;
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::wstring> Relative(const std::vector<std::wstring>& paths, const std::wstring& root,
                                   const std::vector<std::wstring>& from) {
  std::vector<std::wstring> out;
  for (const std::wstring& p : paths) {
    if (std::find(from.begin(), from.end(), p) == from.end()) continue;
    out.push_back(p.rfind(root, 0) == 0 ? p.substr(root.size()) : p);
  }
  return out;
}

class RulesTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(RulesTest, FindsWhatTheRulesDescribe) {
  const RuleCase& c = GetParam();
  DriveFixture drive;
  ScanHarness harness;
  c.arrange(drive);
  PdiskInfo record = harness.Drive(drive);

  EXPECT_EQ(harness.Scan(record, c.thorough), c.count);

  auto threats = Relative(harness.view.added, drive.root(), State().ThreatList.Snapshot());
  auto suspicious = Relative(harness.view.added, drive.root(), State().RiskList.Snapshot());
  EXPECT_EQ(threats, c.threats);
  std::sort(suspicious.begin(), suspicious.end());
  auto expected = c.suspicious;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(suspicious, expected);
}

// clang-format off
const RuleCase kRuleCases[] = {
    {"OpenTargetNeedsNoExtension",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.inf", "[autorun]\r\nopen=run.exe\r\n");
       d.WriteFile(L"run.exe", "MZ");
     },
     {L"run.exe", L"autorun.inf.ren"}, {}, 2},
    {"OpenTargetWithoutExtension",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.inf", "[AutoRun]\nOPEN = payload\n");
       d.WriteFile(L"payload", "x");
     },
     {L"payload", L"autorun.inf.ren"}, {}, 2},
    {"ShellexecuteOnTextFileIsIgnored",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.inf", "[autorun]\nshellexecute=readme.txt\n");
       d.WriteFile(L"readme.txt", "hello");
     },
     {L"autorun.inf.ren"}, {}, 1},
    {"ShellexecuteProgramWithArguments",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.inf", "[autorun]\nshellexecute=run.exe /auto start\n");
       d.WriteFile(L"run.exe", "MZ");
     },
     {L"run.exe", L"autorun.inf.ren"}, {}, 2},
    {"QuotedNameWithBlankIsCutAtTheBlank",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.inf", "[autorun]\nopen=\"my prog.exe\"\n");
       d.WriteFile(L"my prog.exe", "MZ");
     },
     {L"autorun.inf.ren"}, {}, 1},
    {"DotDotFoldsBackIntoTheRoot",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.inf", "[autorun]\nopen=sub\\..\\run.exe\n");
       d.MakeFolder(L"sub");
       d.WriteFile(L"run.exe", "MZ");
     },
     {L"run.exe", L"autorun.inf.ren"}, {}, 2},
    {"TargetOnAnotherDriveDoesNotCount",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.inf", "[autorun]\nopen=b:\\run.exe\n");
       d.WriteFile(L"run.exe", "MZ");
     },
     {L"autorun.inf.ren"}, {}, 1},
    {"UpperCaseLetterOfThisDriveDoesNotCount",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.inf", "[autorun]\nopen=" + WideToUtf8(ToUpper(d.root())) + "run.exe\n");
       d.WriteFile(L"run.exe", "MZ");
     },
     {L"autorun.inf.ren"}, {}, 1},
    {"FolderNamedAutorunInfIsNoAutorunFile", [](DriveFixture& d) { d.MakeFolder(L"autorun.inf", kHidden); }, {}, {}, 0},
    {"BothAutorunFiles",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.inf", "[autorun]\nopen=a.exe\n");
       d.WriteFile(L"autorun.ini", "[autorun]\nopen=b.exe\n");
       d.WriteFile(L"a.exe", "MZ");
       d.WriteFile(L"b.exe", "MZ");
     },
     {L"a.exe", L"autorun.inf.ren", L"b.exe", L"autorun.ini.ren"}, {}, 4},
    {"HiddenSystemProgramsByExtension",
     [](DriveFixture& d) {
       d.WriteFile(L"x.e", "", kHiddenSystem);       // a leading part of ".exe"
       d.WriteFile(L"y.VBS", "", kHiddenSystem);     // letter case does not matter
       d.WriteFile(L"noextension", "", kHiddenSystem);
       d.WriteFile(L"hidden.exe", "", kHidden);      // not system
       d.WriteFile(L"notes.txt", "", kHiddenSystem);
     },
     {}, {L"x.e", L"y.VBS"}, 2},
    {"HiddenSystemProgramInSubfolderIsNeverReported",
     [](DriveFixture& d) {
       d.MakeFolder(L"sub");
       d.WriteFile(L"sub\\evil.exe", "", kHiddenSystem);
     },
     {}, {}, 0, true},
    {"ProgramNamedAfterHiddenFolder",
     [](DriveFixture& d) {
       d.MakeFolder(L"Photos", kHidden);
       d.WriteFile(L"Photos.exe", "MZ");
       d.MakeFolder(L"Music");
       d.WriteFile(L"Music.exe", "MZ");  // a visible folder: nothing
     },
     {}, {L"Photos.exe"}, 1},
    {"DeeperPairNeedsAThoroughScan",
     [](DriveFixture& d) {
       d.MakeFolder(L"docs");
       d.MakeFolder(L"docs\\Work", kAttrSystem);
       d.WriteFile(L"docs\\Work.exe", "MZ");
     },
     {}, {}, 0},
    {"DeeperPairFoundByThoroughScan",
     [](DriveFixture& d) {
       d.MakeFolder(L"docs");
       d.MakeFolder(L"docs\\Work", kAttrSystem);
       d.WriteFile(L"docs\\Work.exe", "MZ");
     },
     {}, {L"docs\\Work.exe"}, 1, true},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rules, RulesTest, ::testing::ValuesIn(kRuleCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(AutorunFiles, AreSetAsideAndAnalysedFirst) {
  DriveFixture drive;
  ScanHarness harness;
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\n");
  drive.WriteFile(L"run.exe", "MZ");
  harness.Scan(harness.Drive(drive));
  EXPECT_FALSE(drive.Exists(L"autorun.inf"));
  EXPECT_EQ(drive.Read(L"autorun.inf.ren"), "[autorun]\nopen=run.exe\n");
  EXPECT_TRUE(drive.Exists(L"run.exe"));  // listed, not touched
}

TEST(AutorunFiles, AnEarlierSetAsideFileMakesTheNewOneGoToTheQuarantine) {
  DriveFixture drive;
  ScanHarness harness;
  drive.WriteFile(L"autorun.inf.ren", "old");
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\n");
  harness.Scan(harness.Drive(drive));
  EXPECT_FALSE(drive.Exists(L"autorun.inf"));
  EXPECT_EQ(drive.Read(L"autorun.inf.ren"), "old");
  EXPECT_EQ(harness.view.added, std::vector<std::wstring>{drive.Path(L"autorun.inf.ren")});
  // The deleted file is not lost: its copy is in the quarantine.
  EXPECT_EQ(Fs().ReadAll(State().DataFolder + L"quarantine\\autorun.inf.quarantine"), "[autorun]\nopen=run.exe\n");
}

TEST(AutorunFiles, DryRunChangesNothingAndReportsTheFileUnderItsName) {
  DriveFixture drive;
  ScanHarness harness;
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\n");
  drive.WriteFile(L"run.exe", "MZ");
  PdiskInfo record = harness.Drive(drive);
  auto* scan = new TScanThread(false, true, record);
  scan->FDryRun = true;
  StartWorker(scan, &State().WorkThreads);
  harness.mainThread.PumpUntil([&] { return harness.view.finished && State().WorkThreads.Count() == 0; });
  EXPECT_TRUE(drive.Exists(L"autorun.inf"));
  EXPECT_FALSE(drive.Exists(L"autorun.inf.ren"));
  EXPECT_EQ(harness.view.added, (std::vector<std::wstring>{drive.Path(L"run.exe"), drive.Path(L"autorun.inf")}));
}

TEST(Extension, MatchesLikeAPlainSubstringSearch) {
  struct {
    const wchar_t* name;
    bool suspicious;
  } cases[] = {{L"a.exe", true},  {L"a.EXE", true}, {L"a.e", true},        {L"a.", true},    {L"a.sc", true},
               {L"a.txt", false}, {L"a", false},    {L"a.exe.txt", false}, {L"a.lnk", true}, {L"a.xe", false}};
  for (const auto& c : cases) EXPECT_EQ(ExtensionMatches(c.name, SuspiciousExtensions), c.suspicious) << c.name;
  EXPECT_FALSE(ExtensionMatches(L"a.scr", AutorunTargetExtensions));
}

TEST(DriveRoot, OfLocalAndNetworkPaths) {
  EXPECT_EQ(DriveRootOf(L"e:\\dir\\x.exe"), L"e:\\");
  EXPECT_EQ(DriveRootOf(L"E:\\x.exe"), L"E:\\");
  EXPECT_EQ(DriveRootOf(L"\\\\server\\share\\x.exe"), L"\\\\server\\share\\");
  EXPECT_EQ(DriveRootOf(L"relative"), L"");
}

TEST(ExcludeDrive, GivesBackTheInfFileOnlyAndExcludes) {
  DriveFixture drive;
  ScanHarness harness;
  drive.WriteFile(L"autorun.inf.ren", "inf");
  drive.WriteFile(L"autorun.ini.ren", "ini");
  ExcludeDrive(drive.root());
  EXPECT_EQ(drive.Read(L"autorun.inf"), "inf");
  EXPECT_TRUE(drive.Exists(L"autorun.ini.ren"));
  EXPECT_TRUE(State().ExcludedDrives.Contains(drive.root()));

  ExcludeDrive(drive.root() + L"folder");
  EXPECT_EQ(State().ExcludedDrives.Count(), 1);
}

TEST(ExcludeDrive, AnExcludedDriveIsNotScanned) {
  DriveFixture drive;
  ScanHarness harness;
  drive.WriteFile(L"x.exe", "", kHiddenSystem);
  State().ExcludedDrives.Add(ToUpper(drive.root()));
  EXPECT_EQ(harness.Scan(harness.Drive(drive)), -1);
  EXPECT_TRUE(harness.view.added.empty());
}

}  // namespace

}  // namespace dw::test
