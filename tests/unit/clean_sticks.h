// Ordinary sticks, as their owners and the systems they met leave them: what no
// rule may report, and no repair may change.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "platform/Platform.h"
#include "support/DriveFixture.h"
#include "support/ShortcutBuilder.h"

namespace dw::test {

inline constexpr uint32_t kHidden = kAttrHidden;
inline constexpr uint32_t kHiddenSystem = kAttrHidden | kAttrSystem;
inline constexpr uint32_t kHiddenFolder = kAttrHidden | kAttrDirectory;
inline constexpr uint32_t kHiddenSystemFolder = kAttrHidden | kAttrSystem | kAttrDirectory;

inline const std::string kProgram = std::string("MZ") + std::string(62, '\0');

inline void SystemVolumeInformation(DriveFixture& d) {
  d.MakeFolder(L"System Volume Information");
  d.WriteFile(L"System Volume Information\\IndexerVolumeGuid", "{8E2C1A4B-0000-0000-0000-000000000000}", kHiddenSystem);
  d.WriteFile(L"System Volume Information\\WPSettings.dat", std::string(12, '\x0c'), kHiddenSystem);
  d.SetAttributes(L"System Volume Information", kHiddenSystemFolder);
}

inline void CameraCard(DriveFixture& d) {
  d.MakeFolder(L"DCIM");
  d.MakeFolder(L"DCIM\\100CANON");
  d.WriteFile(L"DCIM\\100CANON\\IMG_0001.JPG", "\xff\xd8\xff\xe1 photo");
  d.WriteFile(L"DCIM\\100CANON\\IMG_0002.CR2", "II* raw");
  d.MakeFolder(L"MISC");
  d.WriteFile(L"MISC\\AUTPRINT.MRK", "[HDR]");
  SystemVolumeInformation(d);
}

// A stick as the shop sells it: its maker's program, and what Windows added.
inline void NewStick(DriveFixture& d) {
  d.WriteFile(L"SanDiskSecureAccessV3_win.exe", kProgram);
  SystemVolumeInformation(d);
}

// A stick named after the program it carries for the user's files.
inline void OwnProgramNamedLikeTheLabel(DriveFixture& d) {
  d.WriteFile(L"Backup.exe", kProgram);
  d.WriteFile(L"Backup.ini", "[jobs]\r\nsource=C:\\Users\\alice\r\n");
  d.MakeFolder(L"Backups");
  d.WriteFile(L"Backups\2026-12-01.zip", "PK");
}

inline void OfficeUser(DriveFixture& d) {
  d.WriteFile(L"Report.docx", "PK report");
  d.WriteFile(L"~$port.docx", std::string(162, 'o'), kHidden);
  d.WriteFile(L"Budget.xlsx", "PK budget");
  d.WriteFile(L"~$Budget.xlsx", std::string(165, 'o'), kHidden);
  d.WriteFile(L"Notes.odt", "PK notes");
  d.WriteFile(L".~lock.Notes.odt#", "Alice,ALICE-PC/alice,ALICE-PC,11.12.2026 10:00,file:///C:/Users/alice;", kHidden);
  d.WriteFile(L"Thumbs.db", std::string(512, '\xd0'), kHiddenSystem);
  d.MakeFolder(L"Photos");
  d.WriteFile(L"Photos\\party.jpg", "\xff\xd8 photo");
  d.WriteFile(L"Photos\\Thumbs.db", std::string(512, '\xd0'), kHiddenSystem);
}

// Windows marks a folder it gave a custom icon system, or read-only.
inline void CustomIconFolders(DriveFixture& d) {
  const std::string desktopIni = "[.ShellClassInfo]\r\nIconResource=C:\\Windows\\System32\\imageres.dll,-3\r\n";
  d.MakeFolder(L"Projects");
  d.WriteFile(L"Projects\\desktop.ini", desktopIni, kHiddenSystem);
  d.WriteFile(L"Projects\\plan.docx", "PK plan");
  d.SetAttributes(L"Projects", kAttrSystem | kAttrDirectory);
  d.MakeFolder(L"Music");
  d.WriteFile(L"Music\\desktop.ini", desktopIni, kHiddenSystem);
  d.WriteFile(L"Music\\song.mp3", "ID3");
  d.SetAttributes(L"Music", kAttrReadOnly | kAttrDirectory);
  d.WriteFile(L"Music.lnk", ShortcutBuilder(L"C:\\Users\\alice\\Music").Build());
}

inline void MacDotEntries(DriveFixture& d) {
  for (const wchar_t* folder : {L".Trashes", L".fseventsd", L".Spotlight-V100"}) {
    d.MakeFolder(folder);
    d.WriteFile(std::wstring(folder) + L"\\store", "mac");
    d.SetAttributes(folder, kHiddenFolder);
  }
  d.WriteFile(L".DS_Store", std::string("\0\0\0\1Bud1", 8), kHidden);
  d.WriteFile(L"._.Trashes", std::string(4096, '\0'), kHidden);
}

inline void MacUser(DriveFixture& d) {
  MacDotEntries(d);
  d.WriteFile(L"Report.docx", "PK report");
  d.WriteFile(L"._Report.docx", std::string(4096, '\0'));
  d.MakeFolder(L"Keynote");
  d.WriteFile(L"Keynote\\talk.key", "PK talk");
  d.WriteFile(L"Keynote\\._talk.key", std::string(4096, '\0'), kHidden);
}

// A Mac user bringing a friend one program.
inline void MacUserWithOneProgram(DriveFixture& d) {
  MacDotEntries(d);
  d.WriteFile(L"Setup.exe", kProgram);
  d.WriteFile(L"._Setup.exe", std::string(4096, '\0'), kHidden);
}

inline void UsersOwnShortcuts(DriveFixture& d) {
  d.WriteFile(L"Notes.txt", "notes");
  d.WriteFile(L"Notes.lnk", ShortcutBuilder(d.Path(L"Notes.txt")).Build());
  d.MakeFolder(L"Photos");
  d.WriteFile(L"Photos.lnk", ShortcutBuilder().IdList(d.Path(L"Photos"), true).Build());
  d.MakeFolder(L"Backup");
  d.WriteFile(L"Backup.lnk", ShortcutBuilder(d.Path(L"Backup")).RelativePath(L".\\Backup").Build());
  d.WriteFile(L"Word.lnk",
              ShortcutBuilder(L"C:\\Program Files\\Microsoft Office\\root\\Office16\\WINWORD.EXE").Build());
  d.WriteFile(L"Command Prompt.lnk", ShortcutBuilder(L"C:\\Windows\\System32\\cmd.exe")
                                         .EnvironmentTarget(L"%windir%\\system32\\cmd.exe")
                                         .WorkingDirectory(L"%HOMEDRIVE%%HOMEPATH%")
                                         .Build());
}

inline void ExternalDisk(DriveFixture& d) {
  const std::wstring user = L"$RECYCLE.BIN\\S-1-5-21-1004336348-1177238915-682003330-1001";
  d.MakeFolder(L"$RECYCLE.BIN");
  d.MakeFolder(user);
  d.WriteFile(user + L"\\desktop.ini", "[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n",
              kHiddenSystem);
  d.WriteFile(user + L"\\$R1A2B3C.exe", kProgram);
  d.WriteFile(user + L"\\$I1A2B3C.exe", std::string(544, '\0'));
  d.MakeFolder(user + L"\\$R4D5E6F");
  d.WriteFile(user + L"\\$R4D5E6F\\setup.exe", kProgram);
  d.SetAttributes(user, kHiddenSystemFolder);
  d.SetAttributes(L"$RECYCLE.BIN", kHiddenSystemFolder);
  SystemVolumeInformation(d);
  d.MakeFolder(L"Backups");
  d.WriteFile(L"Backups\\2026-11.zip", "PK");
  d.MakeFolder(L"Installers");
  d.WriteFile(L"Installers\\vlc-3.0.20-win64.exe", kProgram);
  d.WriteFile(L"Backup Tool.exe", kProgram);
}

inline void PortableApps(DriveFixture& d) {
  d.WriteFile(L"Start.exe", kProgram);
  d.WriteFile(L"autorun.inf", "[autorun]\r\nopen=Start.exe\r\nicon=Start.exe\r\nlabel=PortableApps.com\r\n");
  d.MakeFolder(L"PortableApps");
  d.MakeFolder(L"PortableApps\\PortableApps.com");
  d.WriteFile(L"PortableApps\\PortableApps.com\\PortableAppsPlatform.exe", kProgram);
  d.MakeFolder(L"PortableApps\\FirefoxPortable");
  d.WriteFile(L"PortableApps\\FirefoxPortable\\FirefoxPortable.exe", kProgram);
  d.WriteFile(L"PortableApps\\FirefoxPortable\\help.html", "<html>");
  d.MakeFolder(L"Documents");
  d.MakeFolder(L"Documents\\Music");
  d.MakeFolder(L"Documents\\Pictures");
}

// hideRest: an OEM medium that shows only its setup program and its autorun file.
inline void InstallMedium(DriveFixture& d, bool hideRest) {
  const uint32_t folder = hideRest ? kHiddenFolder : 0;
  d.WriteFile(L"autorun.inf",
              "[AutoRun.Amd64]\r\nopen=setup.exe\r\nicon=setup.exe,0\r\n\r\n[AutoRun]\r\nopen=sources\\SetupError.exe "
              "x64\r\nicon=sources\\SetupError.exe,0\r\n",
              kAttrReadOnly);
  d.WriteFile(L"setup.exe", kProgram, kAttrReadOnly);
  d.WriteFile(L"bootmgr", kProgram, hideRest ? kHiddenSystem | kAttrReadOnly : kAttrReadOnly);
  d.WriteFile(L"bootmgr.efi", kProgram, hideRest ? kHiddenSystem | kAttrReadOnly : kAttrReadOnly);
  for (const wchar_t* name : {L"boot", L"efi", L"sources", L"support"}) d.MakeFolder(name);
  d.WriteFile(L"sources\\setup.exe", kProgram);
  d.WriteFile(L"sources\\SetupError.exe", kProgram);
  d.WriteFile(L"sources\\install.esd", "MSWIM");
  d.WriteFile(L"boot\\bootsect.exe", kProgram);
  if (hideRest) {
    for (const wchar_t* name : {L"boot", L"efi", L"sources", L"support"}) d.SetAttributes(name, folder);
  }
}

inline void FoldersTheUserHid(DriveFixture& d) {
  d.WriteFile(L"Notes.txt", "notes");
  d.MakeFolder(L"School");
  d.WriteFile(L"School\\essay.docx", "PK essay");
  d.MakeFolder(L"Private");
  d.WriteFile(L"Private\\diary.docx", "PK diary");
  d.SetAttributes(L"Private", kHiddenFolder);
  d.WriteFile(L"Report.docx", "PK draft", kHidden);
  d.WriteFile(L"Report.pdf", "%PDF-1.7 final");
  d.MakeFolder(L"School\\Old");
  d.WriteFile(L"School\\Old\\marks.xlsx", "PK marks");
  d.SetAttributes(L"School\\Old", kHiddenFolder);
  d.WriteFile(L"School\\Old.xlsx", "PK summary");
}

inline void DeveloperStick(DriveFixture& d) {
  d.WriteFile(L"build.cmd", "@echo off\r\ncmake --build build\r\n");
  d.WriteFile(L"deploy.bat", "@echo off\r\nxcopy /s build\\out %1\r\n");
  d.WriteFile(L"setup.py", "from setuptools import setup\n");
  d.WriteFile(L"README.md", "# tools\n");
  d.MakeFolder(L"src");
  d.WriteFile(L"src\\main.py", "print('hi')\n");
  d.MakeFolder(L"tools");
  d.WriteFile(L"tools\\ninja.exe", kProgram);
  d.WriteFile(L"tools\\ninja.cmd", "@\"%~dp0ninja.exe\" %*\r\n");
  d.WriteFile(L"Ninja.lnk", ShortcutBuilder(d.Path(L"tools\\ninja.exe")).RelativePath(L".\\tools\\ninja.exe").Build());
  // Git for Windows hides the repository's folder.
  d.MakeFolder(L".git");
  d.WriteFile(L".git\\HEAD", "ref: refs/heads/main\n");
  d.MakeFolder(L".git\\hooks");
  d.WriteFile(L".git\\hooks\\pre-commit.sample", "#!/bin/sh\n");
  d.SetAttributes(L".git", kHiddenFolder);
}

struct CleanStick {
  const char* name;
  std::wstring label;
  std::function<void(DriveFixture&)> arrange;
};

inline void PrintTo(const CleanStick& c, std::ostream* os) { *os << c.name; }

inline const CleanStick kCleanSticks[] = {
    {"CameraCard", L"EOS_DIGITAL", CameraCard},
    {"NewStick", L"SANDISK", NewStick},
    {"OwnProgramNamedLikeTheLabel", L"BACKUP", OwnProgramNamedLikeTheLabel},
    {"OfficeUser", L"KINGSTON", OfficeUser},
    {"CustomIconFolders", L"USBSTICK", CustomIconFolders},
    {"MacUser", L"UNTITLED", MacUser},
    {"MacUserWithOneProgram", L"NO NAME", MacUserWithOneProgram},
    {"UsersOwnShortcuts", L"USBSTICK", UsersOwnShortcuts},
    {"ExternalDiskWithRecycleBin", L"BACKUP", ExternalDisk},
    {"PortableApps", L"PORTABLEAPPS", PortableApps},
    {"WindowsInstallMedium", L"CCCOMA_X64FRE_EN-US_DV9", [](DriveFixture& d) { InstallMedium(d, false); }},
    {"InstallMediumShowingOnlySetup", L"ESD-USB", [](DriveFixture& d) { InstallMedium(d, true); }},
    {"FoldersTheUserHid", L"USBSTICK", FoldersTheUserHid},
    {"DeveloperStick", L"DEV", DeveloperStick},
};

}  // namespace dw::test
