#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

#include "app/CommandLineScanner.h"
#include "common/Text.h"
#include "support/ForwardingFileSystem.h"
#include "support/HostileEntries.h"
#include "support/PulledOutFs.h"
#include "support/ScanHarness.h"
#include "support/ShortcutBuilder.h"

namespace dw::test {

namespace {

struct CliRun {
  int status;
  std::string out, err;
};

std::string Slurp(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  return text;
}

CliRun RunCli(const std::vector<std::wstring>& args, const std::wstring& dataFolder,
              const std::function<void(CliHost&)>& adjust = {}) {
  CliHost host;
  host.mountRoot = [](const std::wstring& arg, std::wstring& error) -> std::optional<std::wstring> {
    if (arg.size() == 3 && arg[1] == L':') return arg;
    error = L"not a drive root";
    return std::nullopt;
  };
  host.folderPath = [](const std::wstring& arg) { return IncludeTrailingBackslash(arg); };
  host.displayPath = [](const std::wstring& path) { return path; };
  host.defaultDataFolder = dataFolder;
  host.out = std::tmpfile();
  host.err = std::tmpfile();
  if (adjust) adjust(host);
  int status = RunCommandLine(args, host);
  return {status, Slurp(host.out), Slurp(host.err)};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    lines.push_back(text.substr(pos, end - pos));
    pos = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

std::string Json(const std::wstring& s) { return WideToUtf8(s); }

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drive.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\n");
    drive.WriteFile(L"run.exe", "MZ");
    drive.WriteFile(L"x.scr", "scr", kAttrHidden | kAttrSystem);
    harness.Drive(drive);
  }
  DriveFixture drive;
  ScanHarness harness;
};

TEST_F(CliTest, DryRunReportsAsJsonAndChangesNothing) {
  CliRun run = RunCli({L"scan", L"--dry-run", L"--json", drive.root()}, harness.data.path());
  EXPECT_EQ(run.status, kExitFound) << run.err;
  std::string root = Json(drive.root());
  // JSON escapes each backslash of a Windows path.
  auto escaped = [&](const std::string& rel) {
    std::string p = root + rel, out;
    for (char c : p) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
  };
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                R"({"path":")" + escaped("run.exe") +
                                    R"(","kind":"threat","action":"listed","rule":"autorun-target",)"
                                    R"("reason":"Program that the drive's autorun file starts"})",
                                R"({"path":")" + escaped("autorun.inf") +
                                    R"(","kind":"threat","action":"listed","rule":"autorun-file",)"
                                    R"("reason":"Autorun file that starts programs when the drive is plugged in"})",
                                R"({"path":")" + escaped("x.scr") +
                                    R"(","kind":"suspicious","action":"listed","rule":"hidden-system-program",)"
                                    R"("reason":"Program hidden and marked as a system file"})",
                                R"({"summary":{"drives":1,"threats":2,"suspicious":1,"errors":0}})"}));
  EXPECT_TRUE(drive.Exists(L"autorun.inf"));
  EXPECT_FALSE(drive.Exists(L"autorun.inf.ren"));
  EXPECT_EQ(drive.Attributes(L"x.scr") & (kAttrHidden | kAttrSystem), kAttrHidden | kAttrSystem);
}

TEST_F(CliTest, ARootWhoseFileSystemGaveNoAttributesIsNamedInTheSummary) {
  const std::string root = Json(drive.root());
  std::string escapedRoot;
  for (char c : root) escapedRoot += c == '\\' ? std::string("\\\\") : std::string(1, c);
  const struct {
    const wchar_t* command;
    std::optional<std::wstring> fileSystem;  // what the host says of the root
    bool json;
    std::string summary;  // the summary's last line
    std::string note;     // the line before it
  } cases[] = {
      {L"scan", L"exfat", false, "1 drive(s) scanned: 2 threat(s), 1 suspicious file(s), 0 error(s) (dry run: nothing was changed)",
       "note: " + root + " (exfat) keeps no hidden or system attributes that this scanner can read: the rules "
       "that need them could not apply"},
      {L"scan", L"exfat", true,
       R"({"summary":{"drives":1,"threats":2,"suspicious":1,"errors":0,"no_attributes":[{"root":")" + escapedRoot +
           R"(","file_system":"exfat"}]}})",
       ""},
      {L"scan", std::nullopt, true, R"({"summary":{"drives":1,"threats":2,"suspicious":1,"errors":0}})", ""},
      {L"repair", L"vfat", true,
       R"({"summary":{"drives":1,"quarantined":3,"moved":0,"unhidden":0,"removed":0,"kept":0,"failed":0,)"
       R"("no_attributes":[{"root":")" + escapedRoot + R"(","file_system":"vfat"}]}})",
       ""},
  };
  for (const auto& c : cases) {
    std::vector<std::wstring> asked;
    std::vector<std::wstring> args = {c.command, L"--dry-run", drive.root()};
    if (c.json) args.insert(args.begin() + 1, L"--json");
    // Each run starts, as a new process does, with no findings.
    State().ThreatList.Clear();
    State().RiskList.Clear();
    CliRun run = RunCli(args, harness.data.path(), [&](CliHost& host) {
      host.fileSystemWithoutAttributes = [&](const std::wstring& r) {
        asked.push_back(r);
        return c.fileSystem;
      };
    });
    // The note changes no exit code: the findings make it.
    EXPECT_EQ(run.status, std::wstring(c.command) == L"scan" ? kExitFound : kExitClean) << run.err;
    EXPECT_EQ(asked, std::vector<std::wstring>{drive.root()});
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines.back(), c.summary);
    if (!c.note.empty()) {
      EXPECT_EQ(lines[lines.size() - 2], c.note);
    }
    EXPECT_EQ(run.out.find("note:") != std::string::npos, !c.note.empty()) << run.out;
  }
}

TEST_F(CliTest, QuarantineActionsThenTheStoreCommands) {
  CliRun scan =
      RunCli({L"scan", L"--threats", L"quarantine", L"--suspicious", L"delete", drive.root()}, harness.data.path());
  EXPECT_EQ(scan.status, kExitFound) << scan.err;
  // Each finding's line ends with its path; the next, indented, says why.
  auto lines = Lines(scan.out);
  ASSERT_EQ(lines.size(), 7u) << scan.out;
  EXPECT_NE(lines[0].find("quarantined"), std::string::npos);
  EXPECT_EQ(lines[1], std::string(22, ' ') + " autorun-target: Program that the drive's autorun file starts");
  EXPECT_NE(lines[4].find("deleted"), std::string::npos);
  EXPECT_EQ(lines[5], std::string(22, ' ') + " hidden-system-program: Program hidden and marked as a system file");
  EXPECT_FALSE(drive.Exists(L"run.exe"));
  EXPECT_FALSE(drive.Exists(L"x.scr"));

  CliRun list = RunCli({L"quarantine", L"list", L"--json"}, harness.data.path());
  EXPECT_EQ(list.status, kExitClean);
  EXPECT_EQ(Lines(list.out).size(), 4u) << list.out;

  drive.MakeFolder(L"back");
  CliRun restore = RunCli({L"quarantine", L"restore", L"run.exe", drive.Path(L"back")}, harness.data.path());
  EXPECT_EQ(restore.status, kExitClean) << restore.err;
  EXPECT_EQ(drive.Read(L"back\\run.exe"), "MZ");

  CliRun missing = RunCli({L"quarantine", L"erase", L"nothing.exe"}, harness.data.path());
  EXPECT_EQ(missing.status, kExitError);
  EXPECT_NE(missing.err.find("nothing.exe"), std::string::npos);

  EXPECT_EQ(RunCli({L"quarantine", L"erase", L"run.exe"}, harness.data.path()).status, kExitClean);
  EXPECT_EQ(RunCli({L"quarantine", L"empty"}, harness.data.path()).status, kExitClean);
  EXPECT_EQ(Lines(RunCli({L"quarantine", L"list", L"--json"}, harness.data.path()).out).size(), 1u);
}

TEST_F(CliTest, RestoreNeverReplacesAFileOfTheSameName) {
  ASSERT_EQ(RunCli({L"scan", L"--threats", L"quarantine", drive.root()}, harness.data.path()).status, kExitFound);
  drive.MakeFolder(L"back");
  drive.WriteFile(L"back\\run.exe", "the user's newer run.exe");

  CliRun restore = RunCli({L"quarantine", L"restore", L"run.exe", drive.Path(L"back")}, harness.data.path());
  EXPECT_EQ(restore.status, kExitError);
  EXPECT_NE(restore.err.find("already holds run.exe; nothing was replaced"), std::string::npos) << restore.err;
  EXPECT_EQ(restore.out, "");
  EXPECT_EQ(drive.Read(L"back\\run.exe"), "the user's newer run.exe");
  EXPECT_EQ(drive.Names(L"back"), std::vector<std::wstring>{L"run.exe"});
}

TEST_F(CliTest, OnlyAStoredEntrysOwnNameIsTaken) {
  ASSERT_EQ(RunCli({L"scan", L"--threats", L"quarantine", drive.root()}, harness.data.path()).status, kExitFound);
  // Files that a name leading out of the store would reach.
  ASSERT_TRUE(Fs().WriteAll(harness.data.path() + L"victim.quarantine", "beside the store"));
  drive.WriteFile(L"victim", "on the drive");
  drive.MakeFolder(L"back");
  const std::vector<std::vector<std::wstring>> commands = {
      {L"quarantine", L"erase", L"..\\victim"},
      {L"quarantine", L"erase", L"../victim.quarantine"},
      {L"quarantine", L"erase", drive.Path(L"victim")},
      {L"quarantine", L"restore", L"..\\victim", drive.Path(L"back")},
      {L"quarantine", L"restore", L"..\\..\\x", drive.Path(L"back")},
  };
  for (const auto& args : commands) {
    CliRun run = RunCli(args, harness.data.path());
    EXPECT_EQ(run.status, kExitError) << WideToUtf8(args[2]);
    EXPECT_NE(run.err.find("is not a name in the quarantine"), std::string::npos) << run.err;
  }
  EXPECT_EQ(Fs().ReadAll(harness.data.path() + L"victim.quarantine"), "beside the store");
  EXPECT_EQ(drive.Read(L"victim"), "on the drive");
  EXPECT_EQ(drive.Names(L"back"), std::vector<std::wstring>{});
}

TEST_F(CliTest, AStoreFolderThatIsALinkIsNotUsed) {
  TempFolder elsewhere;
  ASSERT_TRUE(Fs().WriteAll(elsewhere.path() + L"a.exe.quarantine", "theirs"));
  ASSERT_TRUE(Fs().WriteAll(elsewhere.path() + L"notes.txt", "theirs"));
  HostileEntries hostile;
  hostile.Link(harness.data.path() + L"quarantine", elsewhere.path());
  for (const wchar_t* verb : {L"list", L"empty"}) {
    CliRun run = RunCli({L"quarantine", verb}, harness.data.path());
    EXPECT_EQ(run.status, kExitError);
    EXPECT_NE(run.err.find("is a link, a junction or a file"), std::string::npos) << run.err;
  }
  CliRun scan = RunCli({L"scan", L"--threats", L"delete", drive.root()}, harness.data.path());
  EXPECT_NE(scan.out.find("failed"), std::string::npos) << scan.out;
  EXPECT_EQ(drive.Read(L"run.exe"), "MZ");
  EXPECT_EQ(Fs().ReadAll(elsewhere.path() + L"a.exe.quarantine"), "theirs");
  EXPECT_EQ(Fs().ReadAll(elsewhere.path() + L"notes.txt"), "theirs");
}

TEST_F(CliTest, AFindingWhoseCopyCannotBeStoredStaysAsItWas) {
  ASSERT_TRUE(Fs().WriteAll(harness.data.path() + L"quarantine", "a file where the store's folder goes"));
  const uint32_t before = drive.Attributes(L"x.scr");
  CliRun scan = RunCli({L"scan", L"--suspicious", L"delete", drive.root()}, harness.data.path());
  EXPECT_NE(scan.out.find("failed      " + Json(drive.Path(L"x.scr"))), std::string::npos) << scan.out;
  EXPECT_NE(scan.out.find("1 error(s)"), std::string::npos) << scan.out;
  EXPECT_EQ(drive.Attributes(L"x.scr"), before);
  // The next run still finds it; it starts, as a new process does, with no findings.
  State().RiskList.Clear();
  CliRun again = RunCli({L"scan", L"--dry-run", drive.root()}, harness.data.path());
  EXPECT_NE(again.out.find("listed      " + Json(drive.Path(L"x.scr"))), std::string::npos) << again.out;
}

TEST_F(CliTest, ALogThatCannotBeWrittenIsToldOnceOnStandardError) {
  TempFolder data;
  ASSERT_TRUE(Fs().WriteAll(data.path() + L"log", "a file where the log's folder goes"));
  CliRun scan = RunCli({L"scan", drive.root()}, data.path());
  EXPECT_EQ(scan.status, kExitFound);
  const std::string told = "the log " + Json(data.path()) + "log\\drivewarden_log_";
  size_t first = scan.err.find(told);
  ASSERT_NE(first, std::string::npos) << scan.err;
  EXPECT_EQ(scan.err.find(told, first + 1), std::string::npos) << scan.err;
  EXPECT_NE(scan.err.find("cannot be written"), std::string::npos) << scan.err;
}

TEST(Cli, ErrorsNameTheArgumentAndTheReason) {
  ScanHarness harness;
  struct {
    std::vector<std::wstring> args;
    const char* mentions;
  } cases[] = {
      {{}, "command is required"},
      {{L"scrub"}, "'scrub' is not a command"},
      {{L"scan"}, "ROOT is required"},
      {{L"scan", L"--threats", L"burn", L"m:\\"}, "--threats: 'burn'"},
      {{L"scan", L"--threats"}, "--threats: a value is required"},
      {{L"scan", L"--fast", L"m:\\"}, "--fast: unknown option"},
      {{L"scan", L"not-a-root"}, "ROOT 'not-a-root': not a drive root"},
      {{L"quarantine", L"restore", L"x"}, "restore NAME DIR"},
  };
  for (const auto& c : cases) {
    CliRun run = RunCli(c.args, harness.data.path());
    EXPECT_EQ(run.status, kExitError);
    EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
  }
}

TEST(Cli, CleanDriveExitsWithZero) {
  DriveFixture drive;
  ScanHarness harness;
  drive.WriteFile(L"notes.txt", "hello");
  harness.Drive(drive);
  CliRun run = RunCli({L"scan", L"--thorough", drive.root()}, harness.data.path());
  EXPECT_EQ(run.status, kExitClean) << run.err;
  EXPECT_NE(run.out.find("0 threat(s), 0 suspicious file(s), 0 error(s)"), std::string::npos) << run.out;
}

TEST(Cli, AFindingAlreadyDealtWithIsGoneNotFailed) {
  DriveFixture drive;
  ScanHarness harness;
  // The autorun file names itself: it is quarantined as the program it starts.
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=autorun.inf\n");
  harness.Drive(drive);
  CliRun run = RunCli({L"scan", L"--threats", L"quarantine", drive.root()}, harness.data.path());
  EXPECT_EQ(run.status, kExitFound) << run.err;
  std::string path = Json(drive.Path(L"autorun.inf"));
  EXPECT_EQ(Lines(run.out),
            (std::vector<std::string>{
                "threat     quarantined " + path,
                std::string(22, ' ') + " autorun-target: Program that the drive's autorun file starts",
                "threat     gone        " + path,
                std::string(22, ' ') + " autorun-file: Autorun file that starts programs when the drive is plugged in",
                "1 drive(s) scanned: 2 threat(s), 0 suspicious file(s), 0 error(s)"}));
}

TEST(Cli, AScanThatCouldNotFinishSaysSoAndExitsWithTwo) {
  struct {
    const char* name;
    std::function<void(DriveFixture&)> arrange;
    bool pullOut;
    std::wstring errorPath;  // relative to the root
  } cases[] = {
      {"a huge autorun file",
       [](DriveFixture& d) {
         std::string autorun = "[autorun]\nopen=run.exe\n";
         autorun.resize(3 * 1024 * 1024, '\n');
         d.WriteFile(L"autorun.inf", autorun);
       },
       false, L"autorun.inf"},
      {"a drive pulled out during a thorough scan",
       [](DriveFixture& d) {
         d.MakeFolder(L"docs");
         d.WriteFile(L"docs\\notes.txt", "x");
       },
       true, L""},
  };
  for (const auto& c : cases) {
    for (bool json : {false, true}) {
      DriveFixture drive;
      ScanHarness harness;
      c.arrange(drive);
      harness.Drive(drive);
      PulledOutFs pulled(Fs(), drive.root(), [&] { harness.volumes.Remove(drive.root()[0]); });
      std::optional<ScopedPlatform> guard;
      if (c.pullOut) guard.emplace(Platform{.fs = &pulled});
      std::vector<std::wstring> args = {L"scan", L"--thorough", drive.root()};
      if (json) args.insert(args.begin() + 1, L"--json");
      CliRun run = RunCli(args, harness.data.path());
      EXPECT_EQ(run.status, kExitError) << c.name;
      std::vector<std::string> lines = Lines(run.out);
      ASSERT_FALSE(lines.empty()) << c.name;
      const std::string where = Json(drive.Path(c.errorPath));
      if (json) {
        std::string escaped;
        for (char ch : where) escaped += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
        EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                               [&](const std::string& l) {
                                 return l.rfind(R"({"error":{"path":")" + escaped + R"(","reason":")", 0) == 0;
                               }),
                  lines.end())
            << c.name << "\n"
            << run.out;
        EXPECT_NE(lines.back().find(R"("errors":1)"), std::string::npos) << c.name << lines.back();
      } else {
        EXPECT_NE(run.err.find(where + ": "), std::string::npos) << c.name << run.err;
        EXPECT_NE(run.err.find("the scan of this drive is incomplete"), std::string::npos) << c.name << run.err;
        EXPECT_NE(lines.back().find("1 error(s)"), std::string::npos) << c.name << lines.back();
      }
    }
  }
}

// movemenoreg's layout: the user's report in "_" beside the script, one shortcut.
void UnderscoreStick(DriveFixture& d) {
  d.WriteFile(L"PENDRIVE.lnk", ShortcutBuilder(L"C:\\Windows\\System32\\cmd.exe")
                                   .Arguments(L"/c start _\\movemenoreg.vbs & start explorer _")
                                   .Build());
  d.MakeFolder(L"_", kAttrHidden | kAttrSystem | kAttrDirectory);
  d.WriteFile(L"_\\movemenoreg.vbs", "WScript.Echo \"SIMULATED payload - harmless\"\r\n");
  d.WriteFile(L"_\\Report.docx", "PK report", kAttrHidden);
}

std::string JsonPath(const std::wstring& path) {
  std::string out;
  for (char c : WideToUtf8(path)) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

TEST(CliRepair, PrintsEachStepAsJsonAndGivesTheFilesBack) {
  DriveFixture drive;
  ScanHarness harness;
  UnderscoreStick(drive);
  harness.Drive(drive);
  CliRun run = RunCli({L"repair", L"--json", drive.root()}, harness.data.path());
  EXPECT_EQ(run.status, kExitClean) << run.out << run.err;
  std::vector<std::string> lines = Lines(run.out);
  auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has(R"({"action":"quarantined","path":")" + JsonPath(drive.Path(L"PENDRIVE.lnk")) + R"("})")) << run.out;
  EXPECT_TRUE(has(R"({"action":"moved","path":")" + JsonPath(drive.Path(L"_\\Report.docx")) + R"(","to":")" +
                  JsonPath(drive.Path(L"Report.docx")) + R"("})"))
      << run.out;
  EXPECT_TRUE(has(R"({"action":"unhidden","path":")" + JsonPath(drive.Path(L"Report.docx")) + R"("})")) << run.out;
  EXPECT_TRUE(has(R"({"action":"removed","path":")" + JsonPath(drive.Path(L"_")) + R"("})")) << run.out;
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(),
            R"({"summary":{"drives":1,"quarantined":2,"moved":1,"unhidden":1,"removed":1,"kept":0,"failed":0}})");
  EXPECT_EQ(drive.Read(L"Report.docx"), "PK report");
  EXPECT_FALSE(drive.Exists(L"_"));
}

TEST(CliRepair, DryRunPrintsWhatItWouldDoAndChangesNothing) {
  DriveFixture drive;
  ScanHarness harness;
  UnderscoreStick(drive);
  harness.Drive(drive);
  CliRun run = RunCli({L"repair", L"--dry-run", drive.root()}, harness.data.path());
  EXPECT_EQ(run.status, kExitClean) << run.out << run.err;
  EXPECT_NE(run.out.find("moved       " + WideToUtf8(drive.Path(L"_\\Report.docx")) + " -> " +
                         WideToUtf8(drive.Path(L"Report.docx"))),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("(dry run: nothing was changed)"), std::string::npos) << run.out;
  EXPECT_EQ(drive.Read(L"_\\Report.docx"), "PK report");
  EXPECT_TRUE(drive.Exists(L"PENDRIVE.lnk"));
  EXPECT_TRUE(drive.Exists(L"_\\movemenoreg.vbs"));
}

TEST(CliRepair, AStepThatCannotBeDoneIsPrintedFailedAndExitsWithOne) {
  DriveFixture drive;
  ScanHarness harness;
  UnderscoreStick(drive);
  harness.Drive(drive);
  RefusingMoveFs refusing(Fs());
  CliRun run;
  {
    ScopedPlatform guard(Platform{.fs = &refusing});
    run = RunCli({L"repair", drive.root()}, harness.data.path());
  }
  EXPECT_EQ(run.status, kExitFound) << run.out << run.err;
  EXPECT_NE(run.out.find("failed      " + WideToUtf8(drive.Path(L"_\\Report.docx")) + ": could not be moved"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(drive.Read(L"_\\Report.docx"), "PK report");
}

TEST(CliRepair, AMissingRootIsAnError) {
  TempFolder data;
  EXPECT_EQ(RunCli({L"repair"}, data.path()).status, kExitError);
  EXPECT_EQ(RunCli({L"repair", L"not-a-root"}, data.path()).status, kExitError);
  EXPECT_EQ(RunCli({L"repair", L"--thorough", L"m:\\"}, data.path()).status, kExitError);
}

}  // namespace

TEST(CliHelp, ExplainsEveryOptionOfTheUsageAndTheExitCodes) {
  TempFolder data;
  CliRun run = RunCli({L"--help"}, data.path());
  EXPECT_EQ(run.status, kExitClean);
  const std::string usage = run.out.substr(0, run.out.find("\n\n"));
  const std::string help = run.out.substr(usage.size());
  size_t at = 0;
  int options = 0;
  while ((at = usage.find("--", at)) != std::string::npos) {
    size_t end = usage.find_first_of(" ]|\n", at);
    const std::string option = usage.substr(at, end - at);
    at = end;
    if (option == "--help" || option == "--version") continue;
    ++options;
    EXPECT_NE(help.find("  " + option), std::string::npos) << option << " is not explained";
  }
  EXPECT_GE(options, 7);
  for (const char* code : {"0 nothing found", "1 threats", "2 an error"}) EXPECT_NE(help.find(code), std::string::npos);
}

TEST(CliLabel, NamesTheDriveThatLaunchersImpersonate) {
  DriveFixture drive;
  ScanHarness harness;
  drive.WriteFile(L"notes.txt", "the user's");
  drive.WriteFile(L"LAUREN V.lnk", ShortcutBuilder(L"C:\\Windows\\notepad.exe").Build());
  harness.Drive(drive);
  // Without a label the launcher is named like nothing the drive is called.
  CliRun without = RunCli({L"scan", L"--dry-run", L"--json", drive.root()}, harness.data.path());
  EXPECT_EQ(without.out.find("LAUREN V.lnk"), std::string::npos) << without.out;
  CliRun with = RunCli({L"scan", L"--dry-run", L"--json", L"--label", L"LAUREN V", drive.root()}, harness.data.path());
  EXPECT_EQ(with.status, kExitFound) << with.err;
  EXPECT_NE(with.out.find(R"(LAUREN V.lnk","kind":"threat","action":"listed","rule":"impersonating-launcher")"),
            std::string::npos)
      << with.out;
}

}  // namespace dw::test
