// Launchers that pose as the drive, a device or a hidden item, and the launchers
// left alone on an emptied root: each worm family's stick as its write-ups lay it
// out (inert stand-ins), and the ordinary layouts closest to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "common/Text.h"
#include "platform/PathRules.h"
#include "support/ScanHarness.h"
#include "support/ShortcutBuilder.h"

#ifndef _WIN32
#include <filesystem>
#include <fstream>
#endif

namespace dw::test {

namespace {

constexpr uint32_t kHidden = kAttrHidden;
constexpr uint32_t kSystem = kAttrSystem;
constexpr uint32_t kHiddenSystem = kAttrHidden | kAttrSystem;

const std::string kProgram = std::string("MZ") + std::string(62, '\0');
const std::wstring kCmd = L"C:\\Windows\\System32\\cmd.exe";
const std::wstring kWscript = L"C:\\Windows\\System32\\wscript.exe";
const std::wstring kRundll = L"C:\\Windows\\System32\\rundll32.exe";
const std::wstring kNbsp = L"\u00A0";

std::string Shortcut(const std::wstring& target, const std::wstring& arguments, int icon = 3) {
  return ShortcutBuilder(target)
      .Arguments(arguments)
      .IconLocation(L"%SystemRoot%\\System32\\shell32.dll", icon)
      .ShowCommand(7)
      .Build();
}

std::string Text(const char* family) { return std::string("SIMULATED ") + family + " stand-in, harmless\r\n"; }

// --- The families' sticks -------------------------------------------------------

void Hiupan(DriveFixture& d, uint32_t hide) {
  d.WriteFile(L"UsbConfig.exe", kProgram);
  std::wstring chain;
  for (int level = 0; level < 15; ++level) {
    chain += L"_\\";
    d.MakeFolder(chain.substr(0, chain.size() - 1), hide | kAttrDirectory);
  }
  d.WriteFile(chain + L"UsbConfig.dll", kProgram, kHiddenSystem);
  d.WriteFile(chain + L"UsbConfig.dat", Text("HIUPAN"), kHiddenSystem);
  d.WriteFile(L"Report.docx", "PK the user's", hide);
  d.MakeFolder(L"Photos");
  d.WriteFile(L"Photos\\beach.jpg", "the user's");
  d.SetAttributes(L"Photos", hide | kAttrDirectory);
}

void SnakeDisk(DriveFixture& d, const std::wstring& lure) {
  d.WriteFile(lure, kProgram);
  d.WriteFile(L"x7Kq2", Text("SnakeDisk"), kHiddenSystem);
  d.MakeFolder(L"Rb9f");
  d.MakeFolder(L"Rb9f\\Tz3w");
  d.WriteFile(L"Rb9f\\Tz3w\\Report.docx", "PK the user's");
  d.SetAttributes(L"Rb9f", kHiddenSystem | kAttrDirectory);
  d.MakeFolder(L"System Volume Information", kHiddenSystem | kAttrDirectory);
}

void PlugXUnit42(DriveFixture& d, const std::wstring& lure) {
  d.WriteFile(lure, ShortcutBuilder(kCmd)
                        .EnvironmentTarget(L"%comspec%")
                        .Arguments(L"/q /c \"" + kNbsp + L"\\" + kNbsp + L"\\RECYCLER.BIN\\files\\x32dbg.exe\"")
                        .IconLocation(L"%SystemRoot%\\System32\\shell32.dll", 7)
                        .ShowCommand(7)
                        .Build());
  const std::wstring outer = kNbsp, inner = kNbsp + L"\\" + kNbsp;
  d.MakeFolder(outer);
  d.WriteFile(outer + L"\\desktop.ini", "[.ShellClassInfo]\r\nIconResource=%systemroot%\\system32\\SHELL32.dll,7\r\n",
              kHiddenSystem);
  d.MakeFolder(inner);
  d.WriteFile(inner + L"\\Report.docx", "PK the user's");
  d.MakeFolder(inner + L"\\RECYCLER.BIN");
  d.WriteFile(inner + L"\\RECYCLER.BIN\\desktop.ini",
              "[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n", kHiddenSystem);
  d.MakeFolder(inner + L"\\RECYCLER.BIN\\files");
  d.WriteFile(inner + L"\\RECYCLER.BIN\\files\\x32dbg.exe", kProgram);
  d.WriteFile(inner + L"\\RECYCLER.BIN\\files\\x32bridge.dll", kProgram);
  d.WriteFile(inner + L"\\RECYCLER.BIN\\files\\x32bridge.dat", Text("PlugX"));
  d.SetAttributes(inner + L"\\RECYCLER.BIN", kHiddenSystem | kAttrDirectory);
  d.SetAttributes(inner, kHiddenSystem | kAttrDirectory);
  d.SetAttributes(outer, kHiddenSystem | kAttrDirectory);
}

void PlugXSophos(DriveFixture& d, const std::wstring& lure) {
  d.WriteFile(lure, Shortcut(kCmd, L"/q /c \"RECYCLER.BIN\\1\\AvastSvc.exe\"", 7));
  d.MakeFolder(L"RECYCLER.BIN");
  d.WriteFile(L"RECYCLER.BIN\\desktop.ini", "[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n",
              kHiddenSystem);
  d.MakeFolder(L"RECYCLER.BIN\\1", kHiddenSystem | kAttrDirectory);
  d.WriteFile(L"RECYCLER.BIN\\1\\AvastSvc.exe", kProgram, kHiddenSystem);
  d.WriteFile(L"RECYCLER.BIN\\1\\wsc.dll", kProgram, kHiddenSystem);
  d.WriteFile(L"RECYCLER.BIN\\1\\AvastAuth.dat", Text("PlugX"), kHiddenSystem);
  d.SetAttributes(L"RECYCLER.BIN", kHiddenSystem | kAttrDirectory);
  d.MakeFolder(kNbsp);
  d.WriteFile(kNbsp + L"\\Budget.xlsx", "PK the user's");
  d.SetAttributes(kNbsp, kHiddenSystem | kAttrDirectory);
}

// visibleStore: the variant whose nameless folder is left visible.
void Gamarue(DriveFixture& d, const std::wstring& lure, bool visibleStore = false) {
  d.WriteFile(lure, Shortcut(kRundll, L"~$WYDCNU.FAT32,DllInstall", 8));
  d.WriteFile(L"~$WYDCNU.FAT32", kProgram, kHiddenSystem);
  d.WriteFile(L"desktop.ini", std::string("\x9c\x11\x00\x7f", 4) + "encoded", kHiddenSystem);
  d.WriteFile(L"thumbs.db", std::string(64, '\x5a'), kHiddenSystem);
  d.MakeFolder(kNbsp);
  d.WriteFile(kNbsp + L"\\desktop.ini", "[.ShellClassInfo]\r\nIconResource=%systemroot%\\system32\\SHELL32.dll,7\r\n",
              kHiddenSystem);
  d.WriteFile(kNbsp + L"\\Thesis.docx", "PK the user's");
  if (!visibleStore) d.SetAttributes(kNbsp, kHiddenSystem | kAttrDirectory);
}

void RaspberryRobin(DriveFixture& d) {
  d.WriteFile(L"LAUREN V.lnk", Shortcut(kCmd, L"/rcMD<\"LAUREN V.Lvg\""));
  d.WriteFile(L"LAUREN V.Lvg", "rem SIMULATED raspberry robin stage (harmless)\r\n", kHidden);
  d.MakeFolder(L"Documents");
  d.WriteFile(L"Documents\\CV.docx", "PK the user's");
}

// The reading of "masquerades as a folder": the user's folder hidden, a shortcut in its name.
void RaspberryRobinFolder(DriveFixture& d) {
  d.WriteFile(L"Documents.lnk", Shortcut(kCmd, L"/RCmD<szM.ciK"));
  d.WriteFile(L"szM.ciK", "rem SIMULATED raspberry robin stage (harmless)\r\n", kHiddenSystem);
  d.MakeFolder(L"Documents");
  d.WriteFile(L"Documents\\CV.docx", "PK the user's");
  d.SetAttributes(L"Documents", kHidden | kAttrDirectory);
}

// fileShortcut: what the shortcut of "Secret Text File.txt" is named.
void Jenxcus(DriveFixture& d, const std::wstring& fileShortcut) {
  d.WriteFile(L"iTunesHelper.vbe", "' SIMULATED Jenxcus worm script, harmless\r\n" + std::string(2000, '\n'),
              kHiddenSystem);
  d.WriteFile(L"Secret Text File.txt", "the user's", kHiddenSystem);
  d.WriteFile(fileShortcut, Shortcut(kCmd, L"/c start iTunesHelper.vbe&start Secret\" \"Text\" \"File.txt&exit", -102));
  d.MakeFolder(L"Photos");
  d.WriteFile(L"Photos\\beach.jpg", "the user's");
  d.SetAttributes(L"Photos", kHiddenSystem | kAttrDirectory);
  d.WriteFile(L"Photos.lnk", Shortcut(kCmd, L"/c start iTunesHelper.vbe&start explorer Photos&exit"));
}

// The worm's shortcuts in a folder it reached later.
void JenxcusInFolder(DriveFixture& d) {
  d.MakeFolder(L"School");
  d.WriteFile(L"School\\Essay.docx", "PK the user's", kHiddenSystem);
  d.WriteFile(L"School\\Essay.lnk", Shortcut(kCmd, L"/c start ..\\iTunesHelper.vbe&start Essay.docx&exit"));
  d.WriteFile(L"School\\Notes.txt", "the user's");
}

void CryptoBandits(DriveFixture& d, const std::wstring& folder) {
  d.WriteFile(L"SysCache.js", "// SIMULATED CryptoBandits script, harmless\r\n", kHiddenSystem);
  d.WriteFile(folder + L"Report.docx", "PK the user's", kHidden);
  d.WriteFile(folder + L"Report.docx.lnk", Shortcut(kWscript, L"//b //e:jscript \"SysCache.js\""));
  d.WriteFile(folder + L"Budget.xlsx", "PK the user's", kHiddenSystem);
  d.WriteFile(folder + L"Budget.xlsx.lnk", Shortcut(kWscript, L"//b //e:jscript \"SysCache.js\""));
  d.MakeFolder(L"Music");
  d.WriteFile(L"Music\\song.mp3", "the user's");
}

void Shipshape(DriveFixture& d) {
  d.WriteFile(L"Report.docx", "PK the user's", kHidden);
  d.WriteFile(L"Report.exe", kProgram);
  d.MakeFolder(L"Music");
}

void Movemenoreg(DriveFixture& d, const std::wstring& lure, const std::wstring& interpreter) {
  std::wstring arguments = interpreter == kCmd ? L"/c start _\\movemenoreg.vbs" : L"\"_\\movemenoreg.vbs\"";
  d.WriteFile(lure, Shortcut(interpreter, arguments, 7));
  d.MakeFolder(L"_");
  d.WriteFile(L"_\\movemenoreg.vbs", "' SIMULATED movemenoreg script, harmless\r\n", kHiddenSystem);
  d.WriteFile(L"_\\Holidays.jpg", "the user's");
  d.SetAttributes(L"_", kHiddenSystem | kAttrDirectory);
}

void Phorpiex(DriveFixture& d, const std::wstring& lure) {
  d.WriteFile(L"autorun.inf", "[AUtoRuN]\r\nShEllExECUte=__\\DriveMgr.exe\r\nUseAUtoPlAY=1\r\n", kHiddenSystem);
  d.MakeFolder(L"__");
  d.WriteFile(L"__\\DriveMgr.exe", kProgram, kHiddenSystem);
  d.WriteFile(L"__\\Invoice.pdf", "%PDF the user's");
  d.SetAttributes(L"__", kHiddenSystem | kAttrDirectory);
  d.WriteFile(lure, Shortcut(kCmd, L"/c start __ & __\\DriveMgr.exe & exit", 8));
}

// --- The table ------------------------------------------------------------------

struct Expected {
  std::wstring path;  // relative to the root
  Why why;
  std::wstring detail = {};
};

struct LauncherCase {
  const char* name;
  std::wstring label;
  std::function<void(DriveFixture&)> arrange;
  std::vector<Expected> findings;  // of the launcher rules; those below the root need a thorough scan
};

void PrintTo(const LauncherCase& c, std::ostream* os) { *os << c.name; }

const std::set<std::string_view> kLauncherRules = {"impersonating-launcher", "emptied-root"};

std::wstring Relative(const std::wstring& path, const std::wstring& root) {
  std::wstring plain = PlainPath(path);
  return plain.rfind(root, 0) == 0 ? plain.substr(root.size()) : plain;
}

bool Listed(const std::vector<std::wstring>& list, const std::wstring& path) {
  return std::find(list.begin(), list.end(), path) != list.end();
}

class LauncherRulesTest : public ::testing::TestWithParam<std::tuple<LauncherCase, bool>> {};

TEST_P(LauncherRulesTest, ReportTheLaunchersThatPose) {
  const auto& [c, thorough] = GetParam();
  DriveFixture drive;
  ScanHarness harness;
  c.arrange(drive);
  PdiskInfo record = harness.Drive(drive);
  record->VolName = c.label;
  harness.Scan(record, thorough);

  const std::vector<std::wstring> threats = State().ThreatList.Snapshot();
  std::map<std::wstring, const Expected*> wanted;
  for (const Expected& e : c.findings) {
    if (thorough || e.path.find(L'\\') == std::wstring::npos) wanted[e.path] = &e;
  }
  std::set<std::wstring> expected, reported;
  for (const auto& [path, e] : wanted) expected.insert(path);
  for (const std::wstring& path : harness.view.added) {
    std::optional<TFindingWhy> why = State().FindingReasons.Get(path);
    ASSERT_TRUE(why) << WideToUtf8(path);
    const std::wstring rel = Relative(path, drive.root());
    auto want = wanted.find(rel);
    if (want == wanted.end()) {
      EXPECT_FALSE(kLauncherRules.count(RuleId(why->why)))
          << WideToUtf8(rel) << " reported: " << WideToUtf8(ReasonEnglish(*why));
      continue;
    }
    reported.insert(rel);
    EXPECT_TRUE(Listed(threats, path)) << WideToUtf8(rel) << " is not a threat";
    // The interpreter-shortcut rule runs first and may have claimed a shortcut already.
    if (RuleId(why->why) == "interpreter-shortcut") continue;
    EXPECT_EQ(why->why, want->second->why) << WideToUtf8(rel) << ": " << WideToUtf8(ReasonEnglish(*why));
    EXPECT_EQ(why->detail, want->second->detail) << WideToUtf8(rel);
  }
  EXPECT_EQ(reported, expected);
  for (const auto& [path, kind] : harness.view.errors) ADD_FAILURE() << "scan error on " << WideToUtf8(path);
}

// clang-format off
const LauncherCase kLauncherCases[] = {
    // Families, and the variants their write-ups leave open.
    {"HiupanLeavesOnlyItsProgram", L"USBSTICK", [](DriveFixture& d) { Hiupan(d, kHiddenSystem); },
     {{L"UsbConfig.exe", Why::EmptiedRoot}}},
    {"HiupanHidingWithoutTheSystemMark", L"USBSTICK", [](DriveFixture& d) { Hiupan(d, kHidden); },
     {{L"UsbConfig.exe", Why::EmptiedRoot}}},
    {"SnakeDiskProgramNamedLikeTheLabel", L"DATA", [](DriveFixture& d) { SnakeDisk(d, L"DATA.exe"); },
     {{L"DATA.exe", Why::NamedLikeDrive}}},
    {"SnakeDiskOnARelabelledStick", L"BACKUP", [](DriveFixture& d) { SnakeDisk(d, L"DATA.exe"); },
     {{L"DATA.exe", Why::EmptiedRoot}}},
    {"PlugXUnit42ShortcutNamedLikeTheLabel", L"TESTDRIVE", [](DriveFixture& d) { PlugXUnit42(d, L"TESTDRIVE.lnk"); },
     {{L"TESTDRIVE.lnk", Why::NamedLikeDrive}}},
    {"PlugXUnit42DemoStick", L"RECON2023", [](DriveFixture& d) { PlugXUnit42(d, L"RECON2023.lnk"); },
     {{L"RECON2023.lnk", Why::NamedLikeDrive}}},
    {"PlugXUnit42OnARelabelledStick", L"USBSTICK", [](DriveFixture& d) { PlugXUnit42(d, L"RECON2023.lnk"); },
     {{L"RECON2023.lnk", Why::EmptiedRoot}}},
    {"PlugXSophosShortcutNamedLikeADevice", L"USBSTICK", [](DriveFixture& d) { PlugXSophos(d, L"USB Drive.lnk"); },
     {{L"USB Drive.lnk", Why::NamedLikeDrive}}},
    {"PlugXSophosShortcutNamedLikeTheLabel", L"TESTDRIVE", [](DriveFixture& d) { PlugXSophos(d, L"TESTDRIVE.lnk"); },
     {{L"TESTDRIVE.lnk", Why::NamedLikeDrive}}},
    {"GamarueShortcutNamedLikeADeviceAndItsSize", L"USBSTICK",
     [](DriveFixture& d) { Gamarue(d, L"usb drive (8gb).lnk"); }, {{L"usb drive (8gb).lnk", Why::NamedLikeDrive}}},
    {"GamarueOnARelabelledStick", L"USBSTICK", [](DriveFixture& d) { Gamarue(d, L"KINGSTON.lnk"); },
     {{L"KINGSTON.lnk", Why::EmptiedRoot}}},
    {"GamarueWithItsNamelessFolderInSight", L"USBSTICK", [](DriveFixture& d) { Gamarue(d, L"KINGSTON.lnk", true); },
     {{L"KINGSTON.lnk", Why::EmptiedRoot}}},
    {"RaspberryRobinShortcutNamedLikeTheLabel", L"LAUREN V", RaspberryRobin, {{L"LAUREN V.lnk", Why::NamedLikeDrive}}},
    {"RaspberryRobinPosingAsAHiddenFolder", L"USBSTICK", RaspberryRobinFolder,
     {{L"Documents.lnk", Why::NamedLikeHidden, L"Documents"}}},
    {"JenxcusShortcutForEachHiddenItem", L"USBSTICK", [](DriveFixture& d) { Jenxcus(d, L"Secret Text File.lnk"); },
     {{L"Secret Text File.lnk", Why::NamedLikeHidden, L"Secret Text File.txt"},
      {L"Photos.lnk", Why::NamedLikeHidden, L"Photos"}}},
    {"JenxcusShortcutKeepingTheExtension", L"USBSTICK",
     [](DriveFixture& d) { Jenxcus(d, L"Secret Text File.txt.lnk"); },
     {{L"Secret Text File.txt.lnk", Why::NamedLikeHidden, L"Secret Text File.txt"},
      {L"Photos.lnk", Why::NamedLikeHidden, L"Photos"}}},
    {"JenxcusBelowTheRoot", L"USBSTICK", JenxcusInFolder,
     {{L"School\\Essay.lnk", Why::NamedLikeHidden, L"Essay.docx"}}},
    {"CryptoBanditsShortcutForEachDocument", L"USBSTICK", [](DriveFixture& d) { CryptoBandits(d, L""); },
     {{L"Report.docx.lnk", Why::NamedLikeHidden, L"Report.docx"},
      {L"Budget.xlsx.lnk", Why::NamedLikeHidden, L"Budget.xlsx"}}},
    {"CryptoBanditsBelowTheRoot", L"USBSTICK",
     [](DriveFixture& d) {
       d.MakeFolder(L"Work");
       CryptoBandits(d, L"Work\\");
     },
     {{L"Work\\Report.docx.lnk", Why::NamedLikeHidden, L"Report.docx"},
      {L"Work\\Budget.xlsx.lnk", Why::NamedLikeHidden, L"Budget.xlsx"}}},
    {"ShipshapeProgramNamedLikeAHiddenDocument", L"USBSTICK", Shipshape,
     {{L"Report.exe", Why::NamedLikeHidden, L"Report.docx"}}},
    {"MovemenoregShortcutNamedLikeTheLabel", L"PENDRIVE",
     [](DriveFixture& d) { Movemenoreg(d, L"PENDRIVE.lnk", kWscript); }, {{L"PENDRIVE.lnk", Why::NamedLikeDrive}}},
    {"MovemenoregThroughCmdOnARelabelledStick", L"USBSTICK",
     [](DriveFixture& d) { Movemenoreg(d, L"SANDISK.lnk", kCmd); }, {{L"SANDISK.lnk", Why::EmptiedRoot}}},
    {"PhorpiexShortcutNamedLikeTheLabel", L"USBSTICK", [](DriveFixture& d) { Phorpiex(d, L"USBSTICK.lnk"); },
     {{L"USBSTICK.lnk", Why::NamedLikeDrive}}},
    {"PhorpiexOnARelabelledStick", L"USBSTICK", [](DriveFixture& d) { Phorpiex(d, L"Removable.lnk"); },
     {{L"Removable.lnk", Why::EmptiedRoot}}},

    // Names as a hostile stick writes them.
    {"DeviceNamesInEveryWriting", L"USBSTICK",
     [](DriveFixture& d) {
       for (const wchar_t* name : {L"usb DRIVE.LNK", L"USB\u00A0Drive.exe", L"\u200BUSB Disk.lnk",
                                   L"Removable Disk (16 GB).lnk", L"usb drive (1gb).lnk", L"Disque amovible.scr",
                                   L"CL\u00C9 USB (8 Go).lnk", L"Lecteur USB (1,5 Go).vbs", L"USBSTICK (16GB).lnk"}) {
         d.WriteFile(name, kProgram);
       }
       d.WriteLiteral(L"USB Drive .lnk ", kProgram);
     },
     {{L"usb DRIVE.LNK", Why::NamedLikeDrive}, {L"USB\u00A0Drive.exe", Why::NamedLikeDrive},
      {L"\u200BUSB Disk.lnk", Why::NamedLikeDrive}, {L"Removable Disk (16 GB).lnk", Why::NamedLikeDrive},
      {L"usb drive (1gb).lnk", Why::NamedLikeDrive}, {L"Disque amovible.scr", Why::NamedLikeDrive},
      {L"CL\u00C9 USB (8 Go).lnk", Why::NamedLikeDrive}, {L"Lecteur USB (1,5 Go).vbs", Why::NamedLikeDrive},
      {L"USBSTICK (16GB).lnk", Why::NamedLikeDrive}, {L"USB Drive .lnk ", Why::NamedLikeDrive}}},
    {"NamesCloseToADevice", L"USBSTICK",
     [](DriveFixture& d) {
       d.WriteFile(L"USB Drive.txt", "notes about my drive");
       d.MakeFolder(L"USB Disk");
       d.WriteFile(L"USB Drivers.exe", kProgram);
       d.WriteFile(L"USB Drive (copy).lnk", kProgram);
       d.WriteFile(L"Drive.lnk", kProgram);
       d.WriteFile(L"USBSTICK backup.lnk", kProgram);
     },
     {}},
    {"ProgramsByTheirContent", L"USBSTICK",
     [](DriveFixture& d) {
       d.WriteFile(L"USB Drive", kProgram);
       d.WriteFile(L"Report.docx", "PK the user's", kHidden);
       d.WriteFile(L"Report.pdf", kProgram);
       d.WriteFile(L"Thesis.docx", "PK the user's", kHidden);
       d.WriteFile(L"Thesis.pdf", "%PDF-1.7 the user's own copy");
       d.WriteFile(L"USB Disk.txt", "not a program");
     },
     {{L"USB Drive", Why::NamedLikeDrive}, {L"Report.pdf", Why::NamedLikeHidden, L"Report.docx"}}},
    {"LabelPaddedWithBlanks", L"DATA       ", [](DriveFixture& d) { d.WriteFile(L"data.exe", kProgram); },
     {{L"data.exe", Why::NamedLikeDrive}}},

    // The ordinary layouts closest to the worms'.
    {"ShortcutBesideAVisibleFolder", L"USBSTICK",
     [](DriveFixture& d) {
       d.MakeFolder(L"Backup");
       d.WriteFile(L"Backup.lnk", ShortcutBuilder(d.Path(L"Backup")).Build());
     },
     {}},
    {"ShortcutBesideAFolderWindowsMarkedSystem", L"USBSTICK",
     [](DriveFixture& d) {
       d.MakeFolder(L"Projects");
       d.WriteFile(L"Projects\\desktop.ini", "[.ShellClassInfo]\r\nIconResource=C:\\Windows\\System32\\imageres.dll,-3\r\n",
                   kHiddenSystem);
       d.SetAttributes(L"Projects", kSystem | kAttrDirectory);
       d.WriteFile(L"Projects.lnk", ShortcutBuilder(L"C:\\Users\\me\\Projects").Build());
     },
     {}},
    {"ProgramsBesideTheirOwnHiddenFiles", L"USBSTICK",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.exe", kProgram);
       d.WriteFile(L"autorun.inf", "[autorun]\r\nicon=autorun.ico\r\n", kHidden);
       d.WriteFile(L"autorun.ico", "icon", kHidden);
       d.WriteFile(L"Tool.exe", kProgram);
       d.WriteFile(L"Tool.ini", "[settings]", kHidden);
       d.WriteFile(L"Setup.exe", kProgram);
       d.WriteFile(L"~$Setup.docx", std::string(162, 'o'), kHidden);
       d.WriteFile(L"._Setup.exe", std::string(4096, '\0'), kHidden);
       d.MakeFolder(L"Manuals");
     },
     {}},
    {"OneProgramAndTheUsersOwnHiddenItems", L"USBSTICK",
     [](DriveFixture& d) {
       d.WriteFile(L"KeePass.exe", kProgram);
       d.MakeFolder(L"Private", kHidden | kAttrDirectory);
       d.WriteFile(L"diary.docx", "PK the user's", kHidden);
     },
     {}},
    {"OneProgramBesideAGenuineRecycleBin", L"BACKUP",
     [](DriveFixture& d) {
       d.WriteFile(L"Backup Tool.exe", kProgram);
       const std::wstring user = L"$RECYCLE.BIN\\S-1-5-21-1004336348-1177238915-682003330-1001";
       d.MakeFolder(L"$RECYCLE.BIN");
       d.MakeFolder(user);
       d.WriteFile(user + L"\\desktop.ini", "[.ShellClassInfo]", kHiddenSystem);
       d.WriteFile(user + L"\\$RAB12CD.exe", kProgram);
       d.WriteFile(user + L"\\$IAB12CD.exe", std::string(544, '\0'));
       d.SetAttributes(user, kHiddenSystem | kAttrDirectory);
       d.SetAttributes(L"$RECYCLE.BIN", kHiddenSystem | kAttrDirectory);
       d.MakeFolder(L"System Volume Information", kHiddenSystem | kAttrDirectory);
     },
     {}},
    {"OneProgramBesideARecycleBinHoldingTheUsersFiles", L"USBSTICK",
     [](DriveFixture& d) {
       d.WriteFile(L"Start.exe", kProgram);
       d.MakeFolder(L"$RECYCLE.BIN");
       d.MakeFolder(L"$RECYCLE.BIN\\files");
       d.WriteFile(L"$RECYCLE.BIN\\files\\Report.docx", "PK the user's");
       d.SetAttributes(L"$RECYCLE.BIN", kHiddenSystem | kAttrDirectory);
     },
     {{L"Start.exe", Why::EmptiedRoot}}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Sticks, LauncherRulesTest,
                         ::testing::Combine(::testing::ValuesIn(kLauncherCases), ::testing::Bool()),
                         [](const auto& testInfo) {
                           return std::string(std::get<0>(testInfo.param).name) +
                                  (std::get<1>(testInfo.param) ? "_Thorough" : "_Quick");
                         });

// Rule 5 lists NAME.exe beside a hidden folder NAME already: a second row, among
// the threats, would show the user one file twice.
TEST(LauncherRules, LeaveTheClassicPairsToTheClassicRule) {
  DriveFixture drive;
  ScanHarness harness;
  SnakeDisk(drive, L"DATA.exe");
  drive.MakeFolder(L"DATA", kHiddenSystem | kAttrDirectory);
  drive.MakeFolder(L"Plans", kHidden | kAttrDirectory);
  drive.WriteFile(L"Plans.exe", kProgram);
  PdiskInfo record = harness.Drive(drive);
  record->VolName = L"DATA";
  harness.Scan(record, true);

  for (const wchar_t* name : {L"DATA.exe", L"Plans.exe"}) {
    const std::wstring path = drive.Path(name);
    EXPECT_TRUE(Listed(State().RiskList.Snapshot(), path)) << WideToUtf8(name);
    EXPECT_FALSE(Listed(State().ThreatList.Snapshot(), path)) << WideToUtf8(name);
    EXPECT_EQ(State().FindingReasons.Get(path)->why, Why::ProgramBesideFolder) << WideToUtf8(name);
  }
}

#ifndef _WIN32

// A link named like the drive is not read through: what it leads to may lie off
// the drive. It is a part of the drive the scan could not look at.
TEST(LauncherRules, NeverReadThroughALink) {
  DriveFixture drive;
  ScanHarness harness;
  TempFolder outside;
  const std::filesystem::path elsewhere = WideToUtf8(outside.path().substr(0, outside.path().size() - 1));
  std::ofstream(elsewhere / "program", std::ios::binary) << kProgram;
  std::filesystem::create_symlink(elsewhere / "program", std::filesystem::path(drive.UnixFolder()) / "USB Drive");
  harness.Scan(harness.Drive(drive));

  EXPECT_TRUE(harness.view.added.empty());
  ASSERT_EQ(harness.view.errors.size(), 1u);
  EXPECT_EQ(harness.view.errors[0].first, drive.Path(L"USB Drive"));
  EXPECT_EQ(harness.view.errors[0].second, ScanErrorKind::NotRegularFile);
}

#endif

}  // namespace

}  // namespace dw::test
