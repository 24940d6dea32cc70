// Sticks made by someone who knows this program: folders that are links to a
// folder elsewhere, names that do not survive the trip to the Windows form, files
// that never end, a drive pulled out during the scan. Nothing off the drive
// changes, no user's file is taken for a finding, nothing is read without a bound,
// and a scan that could not finish never says the drive is clean.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

#include "common/Text.h"
#include "engine/disposal.h"
#include "engine/quarantine.h"
#include "platform/PathRules.h"
#include "support/ForwardingFileSystem.h"
#include "support/PulledOutFs.h"
#include "support/ScanHarness.h"
#include "support/ShortcutBuilder.h"

#ifdef _WIN32
#include "support/win32/WineDrives.h"
#else
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#endif

namespace dw::test {

namespace {

constexpr uint32_t kHidden = kAttrHidden;
constexpr uint32_t kHiddenSystem = kAttrHidden | kAttrSystem;

using Disposed = std::vector<std::pair<std::wstring, DisposeResult>>;
using Errors = std::vector<std::pair<std::wstring, ScanErrorKind>>;

// Folders of the drive that stand for links or junctions to a folder elsewhere:
// what lies inside them plays the part of the files off the drive. Windows and
// Wine show such a folder as a reparse point, in a listing and a look-up alike.
class LinkedFoldersFs : public ForwardingFileSystem {
 public:
  LinkedFoldersFs(FileSystem& real, std::vector<std::wstring> links)
      : ForwardingFileSystem(real), links_(std::move(links)) {}

  uint32_t Attributes(const std::wstring& path) override {
    uint32_t attributes = ForwardingFileSystem::Attributes(path);
    return IsLink(path) && attributes != kInvalidAttributes ? attributes | kAttrReparsePoint : attributes;
  }
  bool Find(const std::wstring& pattern, const std::function<bool(const FindData&)>& visit) override {
    const std::wstring folder = FolderPart(pattern);
    return ForwardingFileSystem::Find(pattern, [&](const FindData& entry) {
      FindData copy = entry;
      if (IsLink(folder + entry.name)) copy.attributes |= kAttrReparsePoint;
      return visit(copy);
    });
  }
  std::optional<FindData> Entry(const std::wstring& path) override {
    std::optional<FindData> entry = ForwardingFileSystem::Entry(path);
    if (entry && IsLink(path)) entry->attributes |= kAttrReparsePoint;
    return entry;
  }

 private:
  bool IsLink(const std::wstring& path) const {
    for (const std::wstring& link : links_) {
      if (EqualsNoCase(PlainPath(path), link)) return true;
    }
    return false;
  }
  std::vector<std::wstring> links_;
};

std::vector<std::wstring> DisposedPaths(const ScanHarness& h) {
  std::vector<std::wstring> paths;
  for (const auto& [path, result] : h.view.disposed) {
    if (result == DisposeResult::Done) paths.push_back(path);
  }
  return paths;
}

void DisposeOfEverything() {
  State().ThreatAction = Delete;
  State().RiskAction = Delete;
}

struct LinkCase {
  const char* name;
  std::function<void(DriveFixture&)> arrange;  // "link" is the folder elsewhere
  std::vector<std::wstring> disposed;          // relative to the root
};

void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }

class LinkTargets : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkTargets, NeverLeadOffTheDrive) {
  const LinkCase& c = GetParam();
  DriveFixture drive;
  ScanHarness h;
  drive.MakeFolder(L"link");
  drive.WriteFile(L"link\\tool.exe", "elsewhere");
  drive.WriteFile(L"link\\thesis.docx", "elsewhere", kHidden);
  c.arrange(drive);
  LinkedFoldersFs links(Fs(), {drive.Path(L"link"), drive.Path(L"linked.exe")});
  ScopedPlatform guard(Platform{.fs = &links});
  DisposeOfEverything();

  h.Scan(h.Drive(drive), true);

  std::vector<std::wstring> expected;
  for (const std::wstring& rel : c.disposed) expected.push_back(drive.Path(rel));
  EXPECT_EQ(DisposedPaths(h), expected);
  EXPECT_EQ(drive.Read(L"link\\tool.exe"), "elsewhere");
  EXPECT_EQ(drive.Read(L"link\\thesis.docx"), "elsewhere");
}

// clang-format off
const LinkCase kLinkCases[] = {
    {"AutorunOpenTarget",
     [](DriveFixture& d) { d.WriteFile(L"autorun.inf", "[autorun]\nopen=link\\tool.exe\n"); },
     {L"autorun.inf.ren"}},
    {"AutorunShellexecuteTarget",
     [](DriveFixture& d) { d.WriteFile(L"autorun.inf", "[autorun]\nshellexecute=link\\tool.exe\n"); },
     {L"autorun.inf.ren"}},
    {"TargetThatIsItselfALink",
     [](DriveFixture& d) {
       d.WriteFile(L"autorun.inf", "[autorun]\nopen=linked.exe\n");
       d.WriteFile(L"linked.exe", "elsewhere");
     },
     {L"autorun.inf.ren"}},
    {"LureShortcutTarget",
     [](DriveFixture& d) { d.WriteFile(L"thesis.lnk", ShortcutBuilder(d.Path(L"link\\thesis.docx")).Build()); },
     {L"thesis.lnk"}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(HostileLinks, LinkTargets, ::testing::ValuesIn(kLinkCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(HostileLinks, AFolderThatBecameALinkSinceTheScanIsNotDisposedThrough) {
  DriveFixture drive;
  ScanHarness h;
  drive.MakeFolder(L"dir");
  drive.MakeFolder(L"dir\\Secret", kHidden);
  drive.WriteFile(L"dir\\Secret.exe", "MZ");
  h.Scan(h.Drive(drive), true);
  const std::wstring listed = drive.Path(L"dir\\Secret.exe");
  ASSERT_EQ(State().RiskList.Snapshot(), std::vector<std::wstring>{listed});

  LinkedFoldersFs links(Fs(), {drive.Path(L"dir")});
  ScopedPlatform guard(Platform{.fs = &links});
  EXPECT_EQ(DeleteFinding(listed), DisposeResult::CopyFailed);
  EXPECT_EQ(drive.Read(L"dir\\Secret.exe"), "MZ");
  EXPECT_EQ(State().RiskList.Snapshot(), std::vector<std::wstring>{listed});
}

// Names as a listing gives them: one is the hidden system program, the other the
// user's file of the name that the program's name becomes when it is normalised.
struct NameCase {
  const char* name;
  std::function<void(DriveFixture&)> arrange;
  std::wstring program;  // the path the scan reports
  std::wstring userFile;
  std::string userBytes;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class FoldedNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(FoldedNames, DisposeOfTheProgramAndNeverOfTheUsersFile) {
  const NameCase& c = GetParam();
  DriveFixture drive;
  ScanHarness h;
  c.arrange(drive);
  DisposeOfEverything();
  h.Scan(h.Drive(drive));

  const std::wstring program = drive.LiteralPath(c.program);
#ifdef _WIN32
  if (RunningUnderWine()) {
    // Wine opens "\\?\h:\thesis.exe." as thesis.exe: it drops the dot or blank even
    // from a literal path (Windows does not). The store sees that the file it opened
    // is not the entry listed and copies nothing, so the program stays on the drive,
    // still listed, its disposal reported as failed, and the user's file is untouched.
    EXPECT_EQ(h.view.disposed,
              (std::vector<std::pair<std::wstring, DisposeResult>>{{program, DisposeResult::CopyFailed}}));
    EXPECT_EQ(h.view.added, std::vector<std::wstring>{program});
    EXPECT_TRUE(Fs().Entry(program).has_value());
    EXPECT_EQ(drive.Read(c.userFile), c.userBytes);
    return;
  }
#endif
  EXPECT_EQ(DisposedPaths(h), std::vector<std::wstring>{program});
  EXPECT_FALSE(Fs().Entry(program).has_value());
  EXPECT_EQ(drive.Read(c.userFile), c.userBytes);
  EXPECT_EQ(ReadQuarantineInfo(QuarantineFolder() + FileNamePart(c.program) + L".quarantine"), program);
}

// clang-format off
const NameCase kNameCases[] = {
    {"TrailingDot",
     [](DriveFixture& d) {
       d.WriteFile(L"thesis.exe", "the user's");
       d.WriteLiteral(L"thesis.exe.", "MZ", kHiddenSystem);
     },
     L"thesis.exe.", L"thesis.exe", "the user's"},
    {"TrailingBlank",
     [](DriveFixture& d) {
       d.WriteFile(L"thesis.exe", "the user's");
       d.WriteLiteral(L"thesis.exe ", "MZ", kHiddenSystem);
     },
     L"thesis.exe ", L"thesis.exe", "the user's"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(HostileNames, FoldedNames, ::testing::ValuesIn(kNameCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// What Wine does to names it cannot convert: each byte that is not UTF-8 becomes
// U+FFFD, so two files may be listed under one name; a backslash stays in the name.
class WineNamesFs : public ForwardingFileSystem {
 public:
  WineNamesFs(FileSystem& real, std::map<std::wstring, std::wstring> shown)
      : ForwardingFileSystem(real), shown_(std::move(shown)) {}
  bool Find(const std::wstring& pattern, const std::function<bool(const FindData&)>& visit) override {
    return ForwardingFileSystem::Find(pattern, [&](const FindData& entry) {
      FindData copy = entry;
      auto it = shown_.find(entry.name);
      if (it != shown_.end()) copy.name = it->second;
      return visit(copy);
    });
  }

 private:
  std::map<std::wstring, std::wstring> shown_;
};

TEST(HostileNames, ANameTwoEntriesShareOrOneWithABackslashIsLeftAloneAndSaidSo) {
  const std::wstring lossy = L"\xFFFD.exe";
  struct {
    const char* name;
    std::map<std::wstring, std::wstring> shown;
    std::wstring reported;
  } cases[] = {
      {"two entries listed under one name", {{L"mine.exe", lossy}, {L"worm.exe", lossy}}, lossy},
      {"a backslash in a name", {{L"worm.exe", L"a\\b.exe"}}, L"a\\b.exe"},
  };
  for (const auto& c : cases) {
    DriveFixture drive;
    ScanHarness h;
    drive.WriteFile(L"mine.exe", "the user's");
    drive.WriteFile(L"worm.exe", "MZ", kHiddenSystem);
    drive.MakeFolder(L"a");
    drive.WriteFile(L"a\\b.exe", "the user's", kHiddenSystem);
    WineNamesFs names(Fs(), c.shown);
    ScopedPlatform guard(Platform{.fs = &names});
    DisposeOfEverything();
    h.Scan(h.Drive(drive));
    EXPECT_TRUE(h.view.disposed.empty()) << c.name;
    EXPECT_EQ(h.view.errors, (Errors{{drive.Path(c.reported), ScanErrorKind::UnreachableName}})) << c.name;
    EXPECT_EQ(drive.Read(L"mine.exe"), "the user's");
    EXPECT_EQ(drive.Read(L"a\\b.exe"), "the user's");
  }
}

TEST(HostileNames, TheStoredNameIsReportedDisposedOfAndLogged) {
  DriveFixture drive;
  ScanHarness h;
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=EVIL.EXE\n");
  drive.WriteFile(L"Evil.exe", "MZ");
  drive.MakeFolder(L"photos", kHidden);
  drive.WriteFile(L"Photos.EXE", "MZ");
  DisposeOfEverything();
  h.Scan(h.Drive(drive));
  EXPECT_EQ(DisposedPaths(h), (std::vector<std::wstring>{drive.Path(L"Evil.exe"), drive.Path(L"autorun.inf.ren"),
                                                         drive.Path(L"Photos.EXE")}));
  EXPECT_EQ(h.LogText(), (std::vector<std::wstring>{
                             L"scan/start " + drive.root(), L"delete/AutoAction " + drive.Path(L"Evil.exe"),
                             L"delete/AutoAction " + drive.Path(L"autorun.inf.ren"),
                             L"delete/AutoAction " + drive.Path(L"Photos.EXE"), L"scan/end " + drive.root()}));
}

TEST(HostileNames, AFindingGoneIsNotTakenForAnEntryOfAnotherCase) {
  DriveFixture drive;
  ScanHarness h;
  // The scan listed Evil.exe; another run removed it; the user's file remains.
  drive.WriteFile(L"evil.exe", "the user's");
  State().RiskList.Add(drive.Path(L"Evil.exe"));
  EXPECT_EQ(DeleteFinding(drive.Path(L"Evil.exe")), DisposeResult::Missing);
  EXPECT_EQ(drive.Read(L"evil.exe"), "the user's");
  EXPECT_EQ(State().RiskList.Count(), 0);
}

TEST(HostileDrives, ADrivePulledOutDuringTheScanIsAnErrorNeverClean) {
  for (bool thorough : {false, true}) {
    DriveFixture drive;
    ScanHarness h;
    drive.MakeFolder(L"docs");
    drive.MakeFolder(L"docs\\Work", kHidden);
    drive.WriteFile(L"docs\\Work.exe", "MZ");
    PdiskInfo record = h.Drive(drive);
    PulledOutFs pulled(Fs(), drive.root(), [&] { h.volumes.Remove(drive.root()[0]); });
    ScopedPlatform guard(Platform{.fs = &pulled});
    h.Scan(record, thorough);
    EXPECT_EQ(h.view.errors, (Errors{{drive.root(), ScanErrorKind::DriveGone}})) << thorough;
    EXPECT_EQ(h.LogText(), (std::vector<std::wstring>{L"scan/start " + drive.root(), L"scan/incomplete " + drive.root(),
                                                      L"scan/end " + drive.root()}));
  }
}

TEST(HostileFiles, OnlyTheStartOfAHugeAutorunFileOrShortcutIsReadAndTheScanSaysSo) {
  DriveFixture drive;
  ScanHarness h;
  // Blank lines vanish when the file is read: the last key belongs to the section.
  std::string autorun = "[autorun]\r\nopen=run.exe\r\n";
  autorun.resize(2 * 1024 * 1024, '\n');
  autorun += "shellexecute=late.exe\r\n";
  drive.WriteFile(L"autorun.inf", autorun);
  drive.WriteFile(L"run.exe", "MZ");
  drive.WriteFile(L"late.exe", "MZ");
  std::string shortcut = ShortcutBuilder(drive.Path(L"x.exe")).Build();
  shortcut.resize(17 * 1024 * 1024, '\0');
  drive.WriteFile(L"huge.lnk", shortcut);
  h.Scan(h.Drive(drive));
  EXPECT_EQ(h.view.added, (std::vector<std::wstring>{drive.Path(L"run.exe"), drive.Path(L"autorun.inf.ren")}));
  EXPECT_EQ(h.view.errors, (Errors{{drive.Path(L"autorun.inf"), ScanErrorKind::TooLarge},
                                   {drive.Path(L"huge.lnk"), ScanErrorKind::TooLarge}}));
}

TEST(HostileFiles, AFindingAlreadyGoneIsNoFailure) {
  DriveFixture drive;
  ScanHarness h;
  // The autorun file names itself: it goes to the quarantine as the program it starts.
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=autorun.inf\n");
  State().ThreatAction = Quarantine;
  h.Scan(h.Drive(drive));
  EXPECT_EQ(h.view.disposed, (Disposed{{drive.Path(L"autorun.inf"), DisposeResult::Done},
                                       {drive.Path(L"autorun.inf"), DisposeResult::Missing}}));
  EXPECT_EQ(h.view.lastDisposals.quarantined, 1);
  EXPECT_EQ(h.view.lastDisposals.failed, 0);
  EXPECT_EQ(h.LogText(), (std::vector<std::wstring>{L"scan/start " + drive.root(),
                                                    L"quarantine/AutoAction " + drive.Path(L"autorun.inf"),
                                                    L"scan/end " + drive.root()}));
  EXPECT_TRUE(h.view.errors.empty());
}

// Another run takes the file while this one copies it.
class TakenDuringCopyFs : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  bool CopyNew(const std::wstring& from, const std::wstring& to, uint64_t size) override {
    ForwardingFileSystem::Delete(from);
    return ForwardingFileSystem::CopyNew(from, to, size);
  }
};

TEST(HostileFiles, AFindingAnotherRunTookDuringTheCopyIsGoneNotFailed) {
  DriveFixture drive;
  ScanHarness h;
  drive.WriteFile(L"x.exe", "MZ", kHiddenSystem);
  TakenDuringCopyFs taken(Fs());
  ScopedPlatform guard(Platform{.fs = &taken});
  EXPECT_EQ(DeleteFinding(drive.Path(L"x.exe")), DisposeResult::Missing);
  EXPECT_TRUE(h.system.MessageBoxes().empty());
}

#ifndef _WIN32

void SetDosAttributes(const std::filesystem::path& path, const char* text) {
  ASSERT_EQ(lsetxattr(path.c_str(), "user.DOSATTRIB", text, std::strlen(text), 0), 0) << path;
}

void WriteHostFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(HostileLinks, FilesBehindARealLinkAreNeverTouched) {
  DriveFixture drive;
  ScanHarness h;
  TempFolder outside;
  const std::filesystem::path elsewhere = WideToUtf8(outside.path().substr(0, outside.path().size() - 1));
  WriteHostFile(elsewhere / "tool.exe", "precious");
  WriteHostFile(elsewhere / "thesis.docx", "precious");
  SetDosAttributes(elsewhere / "thesis.docx", "0x2");
  const std::filesystem::path root = drive.UnixFolder();
  std::filesystem::create_directory_symlink(elsewhere, root / "link");
  drive.WriteFile(L"autorun.inf", "[autorun]\nopen=link\\tool.exe\n");
  drive.WriteFile(L"thesis.lnk", ShortcutBuilder(drive.Path(L"link\\thesis.docx")).Build());
  DisposeOfEverything();
  h.Scan(h.Drive(drive), true);
  EXPECT_EQ(DisposedPaths(h), (std::vector<std::wstring>{drive.Path(L"autorun.inf.ren"), drive.Path(L"thesis.lnk")}));
  EXPECT_TRUE(std::filesystem::exists(elsewhere / "tool.exe"));
  EXPECT_TRUE(std::filesystem::exists(elsewhere / "thesis.docx"));

  // A listed finding whose folder was replaced by a link since.
  drive.MakeFolder(L"dir");
  drive.WriteFile(L"dir\\x.exe", "MZ");
  State().RiskList.Add(drive.Path(L"dir\\x.exe"));
  std::filesystem::rename(root / "dir", elsewhere / "dir");
  std::filesystem::create_directory_symlink(elsewhere / "dir", root / "dir");
  EXPECT_EQ(DeleteFinding(drive.Path(L"dir\\x.exe")), DisposeResult::CopyFailed);
  EXPECT_TRUE(std::filesystem::exists(elsewhere / "dir" / "x.exe"));
}

TEST(HostileNames, BytesThatAreNotUtf8OrABackslashKeepTheirOwnEntry) {
  struct {
    const char* program;
    const char* user;
    const char* folder;  // a folder to make first, or none
  } cases[] = {
      {"\xff.exe", "\xef\xbf\xbd.exe", nullptr},      // U+FFFD is what "\xff" decodes to elsewhere
      {"a\\b.exe", "a/b.exe", "a"},                   // a backslash is no separator on Linux
      {"\xc3\x28.exe", "\xef\xbf\xbd(.exe", nullptr}  // a broken two-byte sequence
  };
  for (const auto& c : cases) {
    DriveFixture drive;
    ScanHarness h;
    const std::filesystem::path root = drive.UnixFolder();
    if (c.folder) std::filesystem::create_directory(root / c.folder);
    WriteHostFile(root / c.user, "the user's");
    WriteHostFile(root / c.program, "MZ");
    SetDosAttributes(root / c.program, "0x6");
    DisposeOfEverything();
    h.Scan(h.Drive(drive));
    EXPECT_EQ(DisposedPaths(h).size(), 1u) << c.program;
    EXPECT_FALSE(std::filesystem::exists(root / c.program)) << c.program;
    std::ifstream user(root / c.user, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(user)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "the user's") << c.program;
  }
}

TEST(HostileFiles, PipesAndDevicesAreNeverWaitedOn) {
  DriveFixture drive;
  ScanHarness h;
  const std::filesystem::path root = drive.UnixFolder();
  ASSERT_EQ(mkfifo((root / "autorun.inf").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo((root / "lure.lnk").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/zero", root / "zero.lnk");
  drive.MakeFolder(L"x", kHidden);
  ASSERT_EQ(mkfifo((root / "x.exe").c_str(), 0644), 0);
  DisposeOfEverything();
  // As in the command-line scanner: a failed copy would otherwise stop the scan for
  // an elevated restart.
  State().MayRequestElevation = false;
  h.Scan(h.Drive(drive));
  EXPECT_EQ(h.view.disposed, (Disposed{{drive.Path(L"autorun.inf.ren"), DisposeResult::CopyFailed},
                                       {drive.Path(L"x.exe"), DisposeResult::CopyFailed}}));
  Errors errors = h.view.errors;
  std::sort(errors.begin(), errors.end());
  EXPECT_EQ(errors, (Errors{{drive.Path(L"autorun.inf"), ScanErrorKind::NotRegularFile},
                            {drive.Path(L"lure.lnk"), ScanErrorKind::NotRegularFile},
                            {drive.Path(L"zero.lnk"), ScanErrorKind::NotRegularFile}}));
}

#endif

}  // namespace

}  // namespace dw::test
