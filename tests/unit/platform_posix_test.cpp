// What only the Linux backend does: the drive map, the extended attribute that
// carries hidden and system, symbolic links, and the services without a UI.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <thread>

#include "common/Text.h"
#include "platform/Platform.h"
#include "platform/posix/PosixDrives.h"
#include "platform/posix/PosixMounts.h"
#include "platform/posix/PosixNames.h"
#include "platform/posix/PosixSystem.h"
#include "support/DriveFixture.h"

namespace dw {
namespace {

using test::DriveFixture;
using test::TempFolder;

std::string Xattr(const std::filesystem::path& path) {
  char value[64] = {};
  ssize_t n = getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof(value));
  return n < 0 ? "<none>" : std::string(value, static_cast<size_t>(n));
}

TEST(PosixMounts, TheDeviceBehindAMountPointAndItsLabel) {
  const std::string mountinfo =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "98 22 8:17 / /media/ann/LAUREN\\040V rw,nosuid shared:50 - vfat /dev/sdb1 rw,uid=1000\n"
      "99 22 0:50 / /mnt/bare rw - tmpfs tmpfs rw\n"
      "short line\n"
      "100 22 8:33 / /mnt/twice rw - vfat /dev/sdc1 rw\n"
      "101 100 8:49 / /mnt/twice rw master:2 - vfat /dev/sdd1 rw\n";
  const struct {
    const char* mountPoint;
    std::optional<std::string> source;
  } cases[] = {
      {"/media/ann/LAUREN V", "/dev/sdb1"},
      {"/", "/dev/sda1"},
      {"/mnt/bare", "tmpfs"},
      {"/mnt/twice", "/dev/sdd1"},  // the mount on top is the one seen there
      {"/media/ann", std::nullopt},
      {"/media/ann/LAUREN\\040V", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(dw::posix::MountSource(mountinfo, c.mountPoint), c.source) << c.mountPoint;

  EXPECT_EQ(dw::posix::DecodeUdevName("LAUREN\\x20V"), "LAUREN V");
  EXPECT_EQ(dw::posix::DecodeUdevName("a\\x2fb\\x"), "a/b\\x");
  // A folder that is no mount point has no label.
  EXPECT_EQ(dw::posix::MountedVolumeLabel("/proc/self"), std::nullopt);
}

TEST(PosixDrives, ResolvesEachSegmentWithoutRegardToCase) {
  DriveFixture drive;
  drive.MakeFolder(L"Photos");
  drive.MakeFolder(L"Photos\\Summer");
  drive.WriteFile(L"Photos\\Summer\\Beach.JPG", "x");
  std::string folder = drive.UnixOrHostPath(L"").string();

  EXPECT_EQ(ToUnixPath(L"m:\\photos\\SUMMER\\beach.jpg"), folder + "/Photos/Summer/Beach.JPG");
  // Missing segments are kept as given, below the ones found.
  EXPECT_EQ(ToUnixPath(L"M:\\PHOTOS\\Winter\\a.jpg"), folder + "/Photos/Winter/a.jpg");
  // Normalised first, as Windows does before it opens anything.
  EXPECT_EQ(ToUnixPath(L"m:\\photos\\x\\..\\summer\\.\\beach.jpg. "), folder + "/Photos/Summer/Beach.JPG");
  EXPECT_EQ(ToUnixPath(L"m:\\"), folder);
  // An exact name wins over another spelling (Linux may hold both).
  std::ofstream(folder + "/photos") << "a file whose name differs in case only";
  EXPECT_EQ(ToUnixPath(L"m:\\photos"), folder + "/photos");
}

TEST(PosixDrives, OtherPathKinds) {
  EXPECT_EQ(ToUnixPath(L"/home/u/.local/share\\drivewarden\\quarantine\\x"),
            "/home/u/.local/share/drivewarden/quarantine/x");
  EXPECT_FALSE(ToUnixPath(L"q:\\unmapped").has_value());
  EXPECT_FALSE(ToUnixPath(L"relative\\x").has_value());
  EXPECT_FALSE(ToUnixPath(L"\\\\server\\share\\x").has_value());
  EXPECT_FALSE(ToUnixPath(L"").has_value());
}

TEST(PosixDrives, WindowsPathsOfUnixPaths) {
  DriveFixture drive;
  std::string folder = drive.UnixOrHostPath(L"").string();
  EXPECT_EQ(ToWindowsPath(folder + "/dir/x.exe"), L"m:\\dir\\x.exe");
  EXPECT_EQ(ToWindowsPath(folder), L"m:\\");
  EXPECT_EQ(ToWindowsPath(folder + "-sibling/x"), Utf8ToWide(folder) + L"-sibling/x");
  EXPECT_EQ(ToWindowsPath("/elsewhere/x"), L"/elsewhere/x");
  // The deepest mapped folder names the drive.
  MapDrive(L'q', folder + "/inner");
  EXPECT_EQ(ToWindowsPath(folder + "/inner/x"), L"q:\\x");
  UnmapDrive(L'q');
}

TEST(PosixDrives, PathsResolveWhileOtherLettersChange) {
  DriveFixture drive;
  drive.WriteFile(L"File.txt", "x");
  std::string expected = drive.UnixOrHostPath(L"File.txt").string();
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> workers;
  for (int i = 0; i < 3; ++i) {
    workers.emplace_back([&] {
      while (!stop) {
        if (ToUnixPath(L"m:\\file.TXT") != expected) ++wrong;
      }
    });
  }
  for (int i = 0; i < 300; ++i) {
    MapDrive(L'r', "/tmp");
    UnmapDrive(L'r');
  }
  stop = true;
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(wrong, 0);
}

TEST(PosixAttributes, HiddenAndSystemAreStoredAsWineAndSambaStoreThem) {
  DriveFixture drive;
  drive.WriteFile(L"x.exe", "x", kAttrHidden | kAttrSystem);
  EXPECT_EQ(Xattr(drive.UnixOrHostPath(L"x.exe")), "0x6");
  drive.SetAttributes(L"x.exe", kAttrArchive);
  EXPECT_EQ(Xattr(drive.UnixOrHostPath(L"x.exe")), "<none>");

  // Samba writes the archive bit too, and may follow the text with a binary record.
  drive.WriteFile(L"samba.exe", "x");
  const char samba[] = "0x22\0\x01\x02";
  ASSERT_EQ(setxattr(drive.UnixOrHostPath(L"samba.exe").c_str(), "user.DOSATTRIB", samba, sizeof(samba) - 1, 0), 0);
  EXPECT_EQ(drive.Attributes(L"samba.exe"), kAttrArchive | kAttrHidden);
}

TEST(PosixAttributes, ReadOnlyFollowsTheWriteBits) {
  DriveFixture drive;
  drive.WriteFile(L"ro", "keep", kAttrReadOnly);
  struct stat st;
  ASSERT_EQ(stat(drive.UnixOrHostPath(L"ro").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
  // Refused like Windows refuses it, also where the user (root) could write anyway.
  EXPECT_FALSE(Fs().WriteAll(drive.Path(L"ro"), "changed"));
  EXPECT_EQ(Fs().LastError(), kErrorAccessDenied);
  EXPECT_FALSE(Fs().Copy(drive.Path(L"ro"), drive.Path(L"ro"), false));
  EXPECT_EQ(drive.Read(L"ro"), "keep");
  drive.SetAttributes(L"ro", kAttrArchive);
  EXPECT_TRUE(Fs().WriteAll(drive.Path(L"ro"), "changed"));
}

TEST(PosixAttributes, SymbolicLinksAreReparsePointsAndNeverFollowed) {
  DriveFixture drive;
  drive.MakeFolder(L"real");
  drive.WriteFile(L"real\\inside", "in");
  drive.WriteFile(L"file", "12345");
  auto link = [&](const char* target, const wchar_t* name) {
    ASSERT_EQ(symlink(target, drive.UnixOrHostPath(name).c_str()), 0);
  };
  link("real", L"dirlink");
  link("file", L"filelink");
  link("missing", L"dangling");

  std::map<std::wstring, FindData> found;
  Fs().Find(drive.Path(L"*"), [&](const FindData& entry) {
    found[entry.name] = entry;
    return true;
  });
  EXPECT_EQ(found[L"dirlink"].attributes, kAttrReparsePoint | kAttrDirectory);
  EXPECT_EQ(found[L"filelink"].attributes, kAttrReparsePoint | kAttrArchive);
  EXPECT_EQ(found[L"filelink"].size, 0u);
  EXPECT_EQ(found[L"dangling"].attributes, kAttrReparsePoint | kAttrArchive);
  EXPECT_EQ(drive.Attributes(L"dirlink"), kAttrReparsePoint | kAttrDirectory);

  // Removing a link leaves what it leads to.
  EXPECT_TRUE(Fs().Delete(drive.Path(L"filelink")));
  EXPECT_TRUE(Fs().RemoveFolder(drive.Path(L"dirlink")));
  EXPECT_EQ(drive.Read(L"file"), "12345");
  EXPECT_EQ(drive.Read(L"real\\inside"), "in");
  EXPECT_FALSE(Fs().SetAttributes(drive.Path(L"dangling"), kAttrHidden));
}

TEST(PosixFileSystem, UnixPathsAreFoldedByUnixRules) {
  EXPECT_EQ(Fs().FullPath(L"/tmp/a\\..\\b\\.\\c", L""), L"/tmp/b/c");
  EXPECT_EQ(Fs().FullPath(L"quarantine\\x", L"/tmp/data\\"), L"/tmp/data/quarantine/x");
  EXPECT_EQ(Fs().FullPath(L"e:\\x", L"/tmp/data\\"), L"e:\\x");

  TempFolder data;
  EXPECT_TRUE(Fs().CreateFolder(data.path() + L"log"));
  EXPECT_TRUE(Fs().WriteAll(data.path() + L"log\\x.txt", "x"));
  EXPECT_EQ(Fs().ReadAll(data.path() + L"log/x.txt"), "x");
}

TEST(PosixNames, EveryNameComesBackAsItsOwnBytes) {
  const std::string names[] = {"plain.exe",   "\xc3\xa9t\xc3\xa9.txt", "\xf0\x9f\x98\x80", "\xef\xbf\xbd.exe",
                               "\xff.exe",    "\xc3\x28.exe",          "\xed\xb2\x80",     "a\\b.exe",
                               "\x80\x80\xc0"};
  std::vector<std::wstring> wide;
  for (const std::string& name : names) {
    wide.push_back(posix::UnixNameToWide(name));
    EXPECT_EQ(posix::WideToUnixName(wide.back()), name);
    // Never a separator in a Windows path.
    EXPECT_EQ(wide.back().find(L'\\'), std::wstring::npos);
  }
  // Two names stay two.
  EXPECT_NE(posix::UnixNameToWide("\xff.exe"), posix::UnixNameToWide("\xef\xbf\xbd.exe"));
  // What only this conversion makes turns back into a byte; the same code written
  // by someone else never becomes a separator or a zero that ends the path.
  EXPECT_EQ(posix::WideToUnixName(std::wstring(1, wchar_t{0xDC2F})), "\xef\xbf\xbd");
  EXPECT_EQ(posix::WideToUnixName(std::wstring(1, wchar_t{0xDC00})), "\xef\xbf\xbd");
}

TEST(PosixDrives, APathInTheLiteralFormIsTakenAsWritten) {
  DriveFixture drive;
  drive.MakeFolder(L"a");
  std::string folder = drive.UnixOrHostPath(L"").string();
  EXPECT_EQ(ToUnixPath(L"\\\\?\\m:\\a\\b. "), folder + "/a/b. ");
  EXPECT_EQ(ToUnixPath(L"\\\\?\\M:\\A\\con.exe"), folder + "/a/con.exe");
  // "." and ".." would be folders to Unix, "/" a separator, a zero the end.
  for (const wchar_t* path : {L"\\\\?\\m:\\..\\x", L"\\\\?\\m:\\a\\.\\x", L"\\\\?\\m:\\a/../../x", L"\\\\?\\m:"}) {
    EXPECT_FALSE(ToUnixPath(path).has_value()) << WideToUtf8(path);
  }
  EXPECT_FALSE(ToUnixPath(std::wstring(L"m:\\a\\..") + L'\0' + L"x").has_value());
}

TEST(PosixDrives, AFindingIsShownUnderItsOwnNameEvenOnceItIsGone) {
  DriveFixture drive;
  std::string folder = drive.UnixOrHostPath(L"").string();
  std::ofstream(folder + "/evil.exe") << "the user's";
  std::ofstream(folder + "/Evil.exe") << "MZ";
  EXPECT_EQ(MappedUnixPath(L"m:\\Evil.exe"), folder + "/Evil.exe");
  std::filesystem::remove(folder + "/Evil.exe");
  EXPECT_EQ(MappedUnixPath(L"m:\\Evil.exe"), folder + "/Evil.exe");
  EXPECT_EQ(MappedUnixPath(L"\\\\?\\m:\\Evil.exe."), folder + "/Evil.exe.");
  // A look-up now finds the user's file, which is why showing never looks.
  EXPECT_EQ(ToUnixPath(L"m:\\Evil.exe"), folder + "/evil.exe");
}

// Whether the folder was opened (listed) since the last call.
class FolderOpenings {
 public:
  explicit FolderOpenings(const std::string& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    inotify_add_watch(fd_, folder.c_str(), IN_OPEN | IN_ONLYDIR);
  }
  ~FolderOpenings() { close(fd_); }
  bool Opened() {
    alignas(inotify_event) char buffer[4096];
    bool opened = false;
    while (read(fd_, buffer, sizeof buffer) > 0) opened = true;
    return opened;
  }

 private:
  int fd_;
};

TEST(PosixFileSystem, OneNameIsLookedUpWithoutListingItsFolder) {
  DriveFixture drive;
  for (int i = 0; i < 50; ++i) drive.WriteFile(L"file" + std::to_wstring(i) + L".exe", "x");
  FolderOpenings openings(drive.UnixOrHostPath(L"").string());
  ASSERT_FALSE(openings.Opened());
  EXPECT_TRUE(Fs().Entry(drive.Path(L"file7.exe")).has_value());
  EXPECT_NE(Fs().Attributes(drive.Path(L"file7.exe")), kInvalidAttributes);
  int visits = 0;
  EXPECT_TRUE(Fs().Find(drive.Path(L"file7.exe"), [&](const FindData&) { return ++visits > 0; }));
  EXPECT_EQ(visits, 1);
  EXPECT_FALSE(openings.Opened());
  // The watch does see a listing.
  Fs().Find(drive.Path(L"*.exe"), [](const FindData&) { return true; });
  EXPECT_TRUE(openings.Opened());
}

TEST(PosixFileSystem, PipesAndLinksAreRefusedWithoutWaiting) {
  DriveFixture drive;
  std::string folder = drive.UnixOrHostPath(L"").string();
  ASSERT_EQ(mkfifo((folder + "/pipe").c_str(), 0644), 0);
  drive.WriteFile(L"file", "x");
  ASSERT_EQ(symlink("file", (folder + "/link").c_str()), 0);
  for (const wchar_t* name : {L"pipe", L"link"}) {
    EXPECT_FALSE(Fs().ReadRegular(drive.Path(name), 100).has_value()) << WideToUtf8(name);
    EXPECT_EQ(Fs().LastError(), kErrorBadFileType);
  }
  EXPECT_FALSE(Fs().ReadAll(drive.Path(L"pipe")).has_value());
  for (const wchar_t* name : {L"pipe", L"link"}) {
    EXPECT_FALSE(Fs().Copy(drive.Path(name), drive.Path(L"copy"), true)) << WideToUtf8(name);
    EXPECT_EQ(Fs().LastError(), kErrorBadFileType);
  }
  EXPECT_FALSE(drive.Exists(L"copy"));
}

TEST(PosixVolumes, MappedDrivesDescribeThemselves) {
  TempFolder folder;
  std::string unix = WideToUtf8(folder.path().substr(0, folder.path().size() - 1));
  DriveOptions options;
  options.driveType = kDriveFixed;
  options.busType = 11;
  MapDrive(L'S', unix, options);
  EXPECT_NE(Vol().LogicalDrives() & (1u << (L'S' - L'A')), 0u);
  EXPECT_EQ(Vol().DriveType(L"s:\\"), kDriveFixed);
  EXPECT_EQ(Vol().StorageBusType(L"\\\\.\\s:"), 11u);
  EXPECT_TRUE(Vol().DeviceCheck(L"\\\\.\\s:", 0x2D4800));
  VolumeInfo info;
  ASSERT_TRUE(Vol().VolumeInformation(L"S:\\", info));
  EXPECT_EQ(info.name, Utf8ToWide(std::filesystem::path(unix).filename().string()));
  EXPECT_EQ(info.fileSystem, L"FAT32");
  int64_t total = 0, free = 0;
  EXPECT_TRUE(Vol().DiskSpace(L"s:\\", total, free));
  EXPECT_GT(total, 0);

  // Gone with its folder: a drive whose medium was pulled.
  MapDrive(L'S', unix + "/missing");
  EXPECT_FALSE(Vol().DeviceCheck(L"\\\\.\\s:", 0x2D4800));
  EXPECT_FALSE(Vol().VolumeInformation(L"S:\\", info));
  EXPECT_EQ(Fs().LastError(), kErrorNotReady);
  UnmapDrive(L'S');
  EXPECT_EQ(Vol().DriveType(L"s:\\"), kDriveNoRootDir);
  EXPECT_EQ(Vol().StorageBusType(L"\\\\.\\s:"), 0u);
  EXPECT_EQ(Vol().LogicalDrives() & (1u << (L'S' - L'A')), 0u);
}

TEST(PosixSystem, DateAndTimeLeaveOutMidnight) {
  std::tm moment{};
  moment.tm_year = 2026 - 1900;
  moment.tm_mon = 11;
  moment.tm_mday = 10;
  moment.tm_hour = 14;
  moment.tm_min = 3;
  moment.tm_sec = 7;
  EXPECT_EQ(FormatDateTime(moment), L"10/12/2026 14:03:07");
  moment.tm_hour = moment.tm_min = moment.tm_sec = 0;
  EXPECT_EQ(FormatDateTime(moment), L"10/12/2026");
  moment.tm_sec = 1;
  EXPECT_EQ(FormatDateTime(moment), L"10/12/2026 00:00:01");
}

// Sets an environment variable for the lifetime of the guard.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    if (old) saved_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(PosixSystem, FoldersAndAnswersWithoutAUserInterface) {
  PosixSystem system;
  ScopedEnv home("HOME", "/home/tester");
  {
    ScopedEnv data("XDG_DATA_HOME", "/data/home");
    EXPECT_EQ(system.SpecialFolder(kCsidlCommonAppData), L"/data/home");
  }
  {
    ScopedEnv data("XDG_DATA_HOME", "relative");  // not absolute: ignored, as the XDG rules say
    EXPECT_EQ(system.SpecialFolder(kCsidlAppData), L"/home/tester/.local/share");
  }

  EXPECT_EQ(system.MessageDialog(L"Continue?", L"Drivewarden", 3), 2);
  std::wstring program = system.ProgramFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), L'\\');
  EXPECT_NE(Fs().Attributes(program + L"dw_unit_tests"), kInvalidAttributes);
  EXPECT_EQ(system.ErrorMessage(2), L"The system cannot find the file specified");
}

}  // namespace
}  // namespace dw

#endif
