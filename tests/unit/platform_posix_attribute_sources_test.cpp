// Hidden and system read where each file system keeps them: the FAT ioctl, the
// NTFS drivers' extended attributes, Samba's text; through a fake of the calls, and
// on a real FAT image where the machine lets the test mount one.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/Platform.h"
#include "platform/posix/PosixAttributeSources.h"
#include "platform/posix/PosixAttributes.h"
#include "platform/posix/PosixDrives.h"
#include "support/DriveFixture.h"

namespace dw {
namespace {

using posix::AttributeCalls;

constexpr int64_t kVfat = 0x4d44;
constexpr int64_t kExfat = 0x2011BAB0;
constexpr int64_t kNtfs3 = 0x7366746e;
constexpr int64_t kNtfsLegacy = 0x5346544e;
constexpr int64_t kFuse = 0x65735546;
constexpr int64_t kExt4 = 0xEF53;

using Bytes = std::vector<unsigned char>;

// Every entry of the fake file system answers alike; each call is written down.
class FakeCalls : public AttributeCalls {
 public:
  int64_t type = kExt4;
  bool typeKnown = true;
  Bytes xattr;                     // what any extended attribute read gives
  uint32_t fatValue = 0;           // what the FAT ioctl gives
  int error = 0;                   // when set, every read fails with it
  std::vector<std::string> reads;  // "ioctl" or the attribute's name
  int typeAsks = 0;
  int writeError = 0;               // when set, every write fails with it
  std::vector<std::string> writes;  // "ioctl 0x..", "name = bytes" or "remove name"

  ssize_t ReadXattr(const std::string&, const char* name, void* value, size_t size) override {
    reads.push_back(name);
    if (error != 0) return Fail(error);
    if (xattr.size() > size) return Fail(ERANGE);
    std::memcpy(value, xattr.data(), xattr.size());
    return static_cast<ssize_t>(xattr.size());
  }
  bool ReadFatAttributes(const std::string&, uint32_t& attributes) override {
    reads.push_back("ioctl");
    if (error != 0) return Fail(error) == 0;
    attributes = fatValue;
    return true;
  }
  int WriteXattr(const std::string&, const char* name, const void* value, size_t size) override {
    const unsigned char* bytes = static_cast<const unsigned char*>(value);
    writes.push_back(std::string(name) + " = " + Hex(Bytes(bytes, bytes + size)));
    return writeError != 0 ? static_cast<int>(Fail(writeError)) : 0;
  }
  int RemoveXattr(const std::string&, const char* name) override {
    writes.push_back(std::string("remove ") + name);
    return writeError != 0 ? static_cast<int>(Fail(writeError)) : 0;
  }
  bool WriteFatAttributes(const std::string&, uint32_t attributes) override {
    char text[32];
    std::snprintf(text, sizeof(text), "ioctl 0x%x", attributes);
    writes.push_back(text);
    return writeError == 0 || Fail(writeError) == 0;
  }
  bool FileSystemType(const std::string&, int64_t& out) override {
    ++typeAsks;
    out = type;
    return typeKnown;
  }

  static std::string Hex(const Bytes& bytes) {
    std::string text;
    for (unsigned char b : bytes) {
      char two[4];
      std::snprintf(two, sizeof(two), "%02x", b);
      text += two;
    }
    return text;
  }

 private:
  static ssize_t Fail(int e) {
    errno = e;
    return -1;
  }
};

// The Unix folder of a temporary folder ("/tmp/dwtest-x\\").
std::string UnixFolder(const test::TempFolder& folder) {
  std::string path = WideToUtf8(folder.path());
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// Puts the fake in place for one test and the real calls back after it.
class UseCalls {
 public:
  explicit UseCalls(AttributeCalls* calls) { posix::SetAttributeCalls(calls); }
  ~UseCalls() { posix::SetAttributeCalls(nullptr); }
  UseCalls(const UseCalls&) = delete;
  UseCalls& operator=(const UseCalls&) = delete;
};

struct stat Entry(mode_t mode, dev_t device = 77) {
  struct stat st {};
  st.st_mode = mode;
  st.st_dev = device;
  return st;
}

Bytes Text(const char* s) { return Bytes(s, s + std::strlen(s)); }

TEST(PosixAttributeSources, EachFileSystemIsReadWhereItKeepsTheBits) {
  const uint32_t none = 0, hidden = kAttrHidden, system = kAttrSystem, both = kAttrHidden | kAttrSystem;
  const struct {
    const char* what;
    int64_t type;
    Bytes xattr;
    uint32_t fatValue;
    int error;
    uint32_t bits;
    const char* read;  // the one read made, nullptr for none
  } cases[] = {
      {"vfat hidden", kVfat, {}, ATTR_HIDDEN | ATTR_ARCH, 0, hidden, "ioctl"},
      {"vfat system", kVfat, {}, ATTR_SYS, 0, system, "ioctl"},
      {"vfat both, read-only too", kVfat, {}, ATTR_HIDDEN | ATTR_SYS | ATTR_RO, 0, both, "ioctl"},
      {"vfat none", kVfat, {}, ATTR_ARCH, 0, none, "ioctl"},
      {"vfat failing", kVfat, {}, ATTR_HIDDEN, EIO, none, "ioctl"},
      {"exfat driver with the ioctl", kExfat, {}, ATTR_HIDDEN, 0, hidden, "ioctl"},
      {"ntfs3 byte hidden", kNtfs3, {0x02}, 0, 0, hidden, "system.dos_attrib"},
      {"ntfs3 byte system", kNtfs3, {0x24}, 0, 0, system, "system.dos_attrib"},
      {"ntfs3 byte none", kNtfs3, {0x20}, 0, 0, none, "system.dos_attrib"},
      {"ntfs3 32-bit both", kNtfs3, {0x06, 0x00, 0x00, 0x00}, 0, 0, both, "system.dos_attrib"},
      {"ntfs3 32-bit is little-endian", kNtfs3, {0x00, 0x00, 0x00, 0x06}, 0, 0, none, "system.dos_attrib"},
      {"ntfs3 wrong size", kNtfs3, {0x06, 0x00}, 0, 0, none, "system.dos_attrib"},
      {"ntfs3 too long", kNtfs3, Bytes(12, 0x06), 0, 0, none, "system.dos_attrib"},
      {"ntfs3 failing", kNtfs3, {0x06}, 0, EIO, none, "system.dos_attrib"},
      {"ntfs-3g hidden", kFuse, {0x00, 0x00, 0x00, 0x22}, 0, 0, hidden, "system.ntfs_attrib_be"},
      {"ntfs-3g system", kFuse, {0x00, 0x00, 0x00, 0x04}, 0, 0, system, "system.ntfs_attrib_be"},
      {"ntfs-3g both", kFuse, {0x00, 0x00, 0x20, 0x06}, 0, 0, both, "system.ntfs_attrib_be"},
      {"ntfs-3g none", kFuse, {0x00, 0x00, 0x00, 0x20}, 0, 0, none, "system.ntfs_attrib_be"},
      {"ntfs-3g is big-endian", kFuse, {0x06, 0x00, 0x00, 0x00}, 0, 0, none, "system.ntfs_attrib_be"},
      {"ntfs-3g wrong size", kFuse, {0x06}, 0, 0, none, "system.ntfs_attrib_be"},
      {"ntfs-3g failing", kFuse, {0x00, 0x00, 0x00, 0x06}, 0, ENODATA, none, "system.ntfs_attrib_be"},
      {"ext4 Samba text", kExt4, Text("0x6"), 0, 0, both, "user.DOSATTRIB"},
      {"ext4 Samba text and record", kExt4, Bytes{'0', 'x', '2', '2', 0, 1, 2}, 0, 0, hidden, "user.DOSATTRIB"},
      {"ext4 nothing stored", kExt4, {}, 0, ENODATA, none, "user.DOSATTRIB"},
      {"unknown type read as Samba's", 0x1234, Text("0x4"), 0, 0, system, "user.DOSATTRIB"},
      {"old ntfs driver: nothing to read", kNtfsLegacy, {0x06}, ATTR_HIDDEN, 0, none, nullptr},
  };
  for (const auto& c : cases) {
    FakeCalls fake;
    fake.type = c.type;
    fake.xattr = c.xattr;
    fake.fatValue = c.fatValue;
    fake.error = c.error;
    UseCalls use(&fake);
    EXPECT_EQ(posix::AttributesOf("/stick/x.exe", Entry(S_IFREG | 0644)), kAttrArchive | c.bits) << c.what;
    std::vector<std::string> reads;
    if (c.read) reads.push_back(c.read);
    EXPECT_EQ(fake.reads, reads) << c.what;
  }
}

TEST(PosixAttributeSources, FoldersAreReadLikeFilesAndOnlyFilesAndFoldersAreOpened) {
  FakeCalls fake;
  fake.type = kVfat;
  fake.fatValue = ATTR_DIR | ATTR_HIDDEN | ATTR_SYS;
  UseCalls use(&fake);
  EXPECT_EQ(posix::AttributesOf("/stick/_", Entry(S_IFDIR | 0755)), kAttrDirectory | kAttrHidden | kAttrSystem);
  for (mode_t mode : std::vector<mode_t>{S_IFIFO, S_IFCHR, S_IFBLK, S_IFSOCK}) {
    fake.reads.clear();
    EXPECT_EQ(posix::AttributesOf("/stick/odd", Entry(mode | 0644)) & (kAttrHidden | kAttrSystem), 0u) << mode;
    EXPECT_TRUE(fake.reads.empty()) << mode;
  }
}

TEST(PosixAttributeSources, TheFileSystemIsAskedOncePerDeviceAndEachEntryReadOnce) {
  FakeCalls fake;
  fake.type = kNtfs3;
  fake.xattr = {0x02};
  UseCalls use(&fake);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(posix::AttributesOf("/stick/f" + std::to_string(i), Entry(S_IFREG | 0644, 10)) & kAttrHidden,
              kAttrHidden);
  }
  EXPECT_EQ(fake.typeAsks, 1);
  EXPECT_EQ(fake.reads.size(), 5u);
  posix::AttributesOf("/other/f", Entry(S_IFREG | 0644, 11));
  EXPECT_EQ(fake.typeAsks, 2);
  EXPECT_EQ(fake.reads.size(), 6u);
}

TEST(PosixAttributeSources, AListingReadsEachEntryOnceAndAsksTheFileSystemOnce) {
  test::DriveFixture drive;
  for (const wchar_t* name : {L"a.txt", L"b.exe", L"c"}) drive.WriteFile(name, "x");
  drive.MakeFolder(L"sub");
  drive.WriteFile(L"sub\\d.txt", "x");
  FakeCalls fake;
  fake.xattr = Text("0x2");
  UseCalls use(&fake);
  std::vector<std::wstring> hidden;
  auto collect = [&](const FindData& entry) {
    if (entry.attributes & kAttrHidden) hidden.push_back(entry.name);
    return true;
  };
  EXPECT_TRUE(Fs().List(drive.root(), collect));
  EXPECT_EQ(hidden.size(), 4u);
  EXPECT_EQ(fake.reads.size(), 4u);
  EXPECT_TRUE(Fs().Find(drive.Path(L"sub\\*"), collect));
  EXPECT_EQ(hidden.size(), 7u);  // ".", ".." and d.txt
  EXPECT_EQ(fake.reads.size(), 7u);
  EXPECT_EQ(fake.typeAsks, 1);
}

TEST(PosixAttributeSources, ADriverWithoutTheInterfaceIsNotAskedAgain) {
  const struct {
    const char* what;
    int64_t type;
    int error;
    size_t reads;  // after three entries
  } cases[] = {
      {"exfat without the ioctl", kExfat, ENOTTY, 1},
      {"fuse without the attribute (exfat-fuse)", kFuse, EOPNOTSUPP, 1},
      {"ext4 without user attributes", kExt4, EOPNOTSUPP, 1},
      {"a failing stick is asked each time", kVfat, EIO, 3},
      {"a file without the attribute is no sign", kExt4, ENODATA, 3},
  };
  for (const auto& c : cases) {
    FakeCalls fake;
    fake.type = c.type;
    fake.error = c.error;
    UseCalls use(&fake);
    for (int i = 0; i < 3; ++i) posix::AttributesOf("/stick/f", Entry(S_IFREG | 0644));
    EXPECT_EQ(fake.reads.size(), c.reads) << c.what;
  }
}

// The repair unhides through these writes: on a stick whose bits stay where they
// were read, a write that did not happen must not be reported as done.
TEST(PosixAttributeSources, EachFileSystemIsWrittenWhereItIsRead) {
  const uint32_t archive = kAttrArchive, hidden = kAttrHidden, system = kAttrSystem, readOnly = kAttrReadOnly;
  const struct {
    const char* what;
    int64_t type;
    Bytes xattr;        // what a read of an extended attribute gives
    uint32_t fatValue;  // what the FAT ioctl gives
    int readError, writeError;
    mode_t mode;
    uint32_t attributes;  // asked for
    bool done;
    std::vector<std::string> writes;
  } cases[] = {
      {"vfat unhidden", kVfat, {}, ATTR_HIDDEN | ATTR_SYS | ATTR_ARCH, 0, 0, S_IFREG, archive, true, {"ioctl 0x20"}},
      {"vfat hidden, read-only kept",
       kVfat,
       {},
       ATTR_RO | ATTR_ARCH,
       0,
       0,
       S_IFREG,
       readOnly | archive | hidden,
       true,
       {"ioctl 0x23"}},
      {"vfat read-only taken off", kVfat, {}, ATTR_RO, 0, 0, S_IFREG, archive, true, {"ioctl 0x20"}},
      {"vfat folder keeps its folder bit",
       kVfat,
       {},
       ATTR_DIR | ATTR_HIDDEN | ATTR_SYS,
       0,
       0,
       S_IFDIR,
       kAttrDirectory,
       true,
       {"ioctl 0x10"}},
      {"vfat already so: nothing written", kVfat, {}, ATTR_ARCH, 0, 0, S_IFREG, archive, true, {}},
      {"vfat write refused (sys_immutable)",
       kVfat,
       {},
       ATTR_SYS | ATTR_HIDDEN,
       0,
       EPERM,
       S_IFREG,
       archive,
       false,
       {"ioctl 0x20"}},
      {"vfat unreadable: nothing written", kVfat, {}, ATTR_HIDDEN, EIO, 0, S_IFREG, archive, false, {}},
      {"vfat pipe never opened", kVfat, {}, ATTR_HIDDEN, 0, 0, S_IFIFO, archive, false, {}},
      {"exfat driver with the ioctls",
       kExfat,
       {},
       ATTR_HIDDEN | ATTR_ARCH,
       0,
       0,
       S_IFREG,
       archive,
       true,
       {"ioctl 0x20"}},
      {"exfat driver without them", kExfat, {}, 0, ENOTTY, 0, S_IFREG, archive, false, {}},
      {"ntfs3 unhidden, compression kept",
       kNtfs3,
       {0x26, 0x08, 0, 0},
       0,
       0,
       0,
       S_IFREG,
       archive,
       true,
       {"system.ntfs_attrib = 20080000"}},
      {"ntfs3 hidden",
       kNtfs3,
       {0x20, 0, 0, 0},
       0,
       0,
       0,
       S_IFREG,
       archive | hidden | system,
       true,
       {"system.ntfs_attrib = 26000000"}},
      {"ntfs3 write refused",
       kNtfs3,
       {0x26, 0, 0, 0},
       0,
       0,
       EACCES,
       S_IFREG,
       archive,
       false,
       {"system.ntfs_attrib = 20000000"}},
      {"ntfs3 value of a wrong size", kNtfs3, {0x26}, 0, 0, 0, S_IFREG, archive, false, {}},
      {"ntfs-3g unhidden, big-endian",
       kFuse,
       {0, 0, 0x08, 0x26},
       0,
       0,
       0,
       S_IFREG,
       archive,
       true,
       {"system.ntfs_attrib_be = 00000820"}},
      {"fuse without the attribute", kFuse, {}, 0, EOPNOTSUPP, 0, S_IFREG, archive, false, {}},
      {"ext4 hidden and system",
       kExt4,
       {},
       0,
       0,
       0,
       S_IFREG,
       archive | hidden | system,
       true,
       {"user.DOSATTRIB = 307836"}},
      {"ext4 unhidden: the attribute goes", kExt4, {}, 0, 0, 0, S_IFREG, archive, true, {"remove user.DOSATTRIB"}},
      {"ext4 nothing was stored", kExt4, {}, 0, 0, ENODATA, S_IFREG, archive, true, {"remove user.DOSATTRIB"}},
      {"ext4 without user attributes",
       kExt4,
       {},
       0,
       0,
       EOPNOTSUPP,
       S_IFREG,
       archive | hidden,
       false,
       {"user.DOSATTRIB = 307832"}},
      {"old ntfs driver cannot hide", kNtfsLegacy, {}, 0, 0, 0, S_IFREG, archive | hidden, false, {}},
      {"old ntfs driver: not hidden is true", kNtfsLegacy, {}, 0, 0, 0, S_IFREG, archive, true, {}},
  };
  for (const auto& c : cases) {
    FakeCalls fake;
    fake.type = c.type;
    fake.xattr = c.xattr;
    fake.fatValue = c.fatValue;
    fake.error = c.readError;
    fake.writeError = c.writeError;
    UseCalls use(&fake);
    EXPECT_EQ(posix::WriteDosBits("/stick/x", Entry(c.mode | 0644), c.attributes), c.done) << c.what;
    EXPECT_EQ(fake.writes, c.writes) << c.what;
  }
}

TEST(PosixAttributeSources, AWriteGoesWhereTheFileSystemKeepsTheBitsWhateverItsReadsGave) {
  // An exfat driver without the ioctl made its reads stop; a write still asks it,
  // and fails, rather than store the bits where nothing reads them.
  FakeCalls fake;
  fake.type = kExfat;
  fake.error = ENOTTY;
  fake.writeError = ENOTTY;
  UseCalls use(&fake);
  for (int i = 0; i < 2; ++i) posix::AttributesOf("/stick/f", Entry(S_IFREG | 0644));
  ASSERT_EQ(fake.reads.size(), 1u);
  EXPECT_FALSE(posix::ApplyAttributes("/stick/f", Entry(S_IFREG | 0644), kAttrArchive | kAttrHidden));
  EXPECT_EQ(fake.reads.size(), 2u);
  EXPECT_TRUE(fake.writes.empty());
}

TEST(PosixAttributeSources, AFileSystemThatGaveNoBitsIsNamed) {
  test::TempFolder folder;
  const std::string unixFolder = UnixFolder(folder);
  struct stat real;
  ASSERT_EQ(lstat(unixFolder.c_str(), &real), 0);
  const struct {
    const char* what;
    int64_t type;
    Bytes xattr;
    int error;
    int entries;  // read before the question
    std::optional<std::string> name;
  } cases[] = {
      {"vfat that answered", kVfat, {}, 0, 2, std::nullopt},
      {"vfat not read yet", kVfat, {}, 0, 0, std::nullopt},
      {"vfat whose every read failed", kVfat, {}, EIO, 2, "vfat"},
      {"exfat without the ioctl", kExfat, {}, ENOTTY, 2, "exfat"},
      {"ntfs3 that answered", kNtfs3, {0x20}, 0, 1, std::nullopt},
      {"ntfs-3g that answered", kFuse, {0, 0, 0, 0x20}, 0, 1, std::nullopt},
      {"exfat-fuse", kFuse, {}, EOPNOTSUPP, 1, "fuseblk"},
      {"old ntfs driver", kNtfsLegacy, {}, 0, 1, "ntfs"},
      {"plain ext4 folder", kExt4, {}, ENODATA, 3, "ext4"},
      {"empty ext4 folder", kExt4, {}, ENODATA, 0, "ext4"},
      {"ext4 folder that Samba prepared", kExt4, Text("0x0"), 0, 1, std::nullopt},
      {"unnamed type", 0xabc, {}, ENODATA, 1, "0xabc"},
  };
  for (const auto& c : cases) {
    FakeCalls fake;
    fake.type = c.type;
    fake.xattr = c.xattr;
    fake.error = c.error;
    UseCalls use(&fake);
    for (int i = 0; i < c.entries; ++i) posix::AttributesOf(unixFolder + "/f", Entry(S_IFREG | 0644, real.st_dev));
    EXPECT_EQ(posix::FileSystemWithoutDosBits(unixFolder), c.name) << c.what;
  }
}

TEST(PosixAttributeSources, SambaFoldersReadAsBefore) {
  // The real calls on the test's own file system (no FAT nor NTFS).
  test::DriveFixture drive;
  drive.WriteFile(L"x.exe", "x", kAttrHidden | kAttrSystem);
  drive.WriteFile(L"plain.txt", "x");
  EXPECT_EQ(drive.Attributes(L"x.exe"), kAttrArchive | kAttrHidden | kAttrSystem);
  EXPECT_EQ(drive.Attributes(L"plain.txt"), kAttrArchive);
  EXPECT_EQ(posix::FileSystemWithoutDosBits(drive.UnixOrHostPath(L"").string()), std::nullopt);
}

// A 1.44 MB FAT12 floppy image: 512-byte sectors, one reserved, two FATs of nine
// sectors, 224 root entries (14 sectors), data from sector 33.
std::string FloppyImage() {
  std::string image(2880 * 512, '\0');
  auto put16 = [&](size_t at, unsigned v) {
    image[at] = static_cast<char>(v & 0xff);
    image[at + 1] = static_cast<char>(v >> 8);
  };
  const unsigned char jump[] = {0xEB, 0x3C, 0x90};
  std::memcpy(image.data(), jump, 3);
  std::memcpy(image.data() + 3, "MSWIN4.1", 8);
  put16(11, 512);
  image[13] = 1;  // sectors per cluster
  put16(14, 1);   // reserved sectors
  image[16] = 2;  // FATs
  put16(17, 224);
  put16(19, 2880);
  image[21] = static_cast<char>(0xF0);
  put16(22, 9);
  put16(24, 18);
  put16(26, 2);
  image[38] = 0x29;
  std::memcpy(image.data() + 43, "NO NAME    FAT12   ", 19);
  image[510] = 0x55;
  image[511] = static_cast<char>(0xAA);
  // Clusters 0 and 1 reserved, cluster 2 (the folder) the end of its chain.
  const unsigned char fat[] = {0xF0, 0xFF, 0xFF, 0xFF, 0x0F};
  for (size_t start : {512u, 10u * 512}) std::memcpy(image.data() + start, fat, sizeof fat);
  auto entry = [&](size_t at, const char* name83, unsigned char attributes, unsigned cluster) {
    std::memcpy(image.data() + at, name83, 11);
    image[at + 11] = static_cast<char>(attributes);
    put16(at + 24, 0x21);  // written on 1980-01-01
    put16(at + 26, cluster);
  };
  const size_t root = 19 * 512;
  entry(root, "HIDDEN  EXE", ATTR_HIDDEN | ATTR_ARCH, 0);
  entry(root + 32, "SYSTEM  EXE", ATTR_SYS | ATTR_ARCH, 0);
  entry(root + 64, "BOTH    EXE", ATTR_HIDDEN | ATTR_SYS | ATTR_ARCH, 0);
  entry(root + 96, "PLAIN   TXT", ATTR_ARCH, 0);
  entry(root + 128, "_          ", ATTR_DIR | ATTR_HIDDEN | ATTR_SYS, 2);
  const size_t folder = 33 * 512;
  entry(folder, ".          ", ATTR_DIR, 2);
  entry(folder + 32, "..         ", ATTR_DIR, 0);
  return image;
}

TEST(PosixAttributeSources, ARealFatImageMountedReadOnly) {
  test::TempFolder work;
  const std::filesystem::path base = UnixFolder(work);
  const std::filesystem::path image = base / "stick.img", mountPoint = base / "stick";
  {
    std::ofstream out(image, std::ios::binary);
    out << FloppyImage();
  }
  std::filesystem::create_directory(mountPoint);
  const std::string command =
      "mount -t vfat -o loop,ro,shortname=lower '" + image.string() + "' '" + mountPoint.string() + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) {
    GTEST_SKIP() << "a FAT image cannot be mounted here (loop mounts need root and the vfat driver)";
  }
  struct Unmount {
    std::string at;
    // The device number may come back with another file system: forget this one.
    ~Unmount() {
      umount2(at.c_str(), MNT_DETACH);
      posix::SetAttributeCalls(nullptr);
    }
  } unmount{mountPoint.string()};

  MapDrive(L'v', mountPoint.string(), DriveOptions{});
  const std::map<std::wstring, uint32_t> expected = {
      {L"hidden.exe", kAttrArchive | kAttrHidden},
      {L"system.exe", kAttrArchive | kAttrSystem},
      {L"both.exe", kAttrArchive | kAttrHidden | kAttrSystem},
      {L"plain.txt", kAttrArchive},
      {L"_", kAttrDirectory | kAttrHidden | kAttrSystem},
  };
  std::map<std::wstring, uint32_t> found;
  Fs().Find(L"v:\\*", [&](const FindData& entry) {
    if (entry.name != L"." && entry.name != L"..") {
      found[entry.name] = entry.attributes & (kAttrDirectory | kAttrArchive | kAttrHidden | kAttrSystem);
    }
    return true;
  });
  UnmapDrive(L'v');
  EXPECT_EQ(found, expected);
  EXPECT_EQ(posix::FileSystemWithoutDosBits(mountPoint.string()), std::nullopt);
}

TEST(PosixAttributeSources, ARealFatImageTakesWhatIsWritten) {
  test::TempFolder work;
  const std::filesystem::path base = UnixFolder(work);
  const std::filesystem::path image = base / "stick.img", mountPoint = base / "stick";
  {
    std::ofstream out(image, std::ios::binary);
    out << FloppyImage();
  }
  std::filesystem::create_directory(mountPoint);
  const std::string command =
      "mount -t vfat -o loop,shortname=lower '" + image.string() + "' '" + mountPoint.string() + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) {
    GTEST_SKIP() << "a FAT image cannot be mounted here (loop mounts need root and the vfat driver)";
  }
  struct Unmount {
    std::string at;
    ~Unmount() {
      umount2(at.c_str(), MNT_DETACH);
      posix::SetAttributeCalls(nullptr);
    }
  } unmount{mountPoint.string()};

  MapDrive(L'v', mountPoint.string(), DriveOptions{});
  // What the volume itself holds, asked of the driver, not of our reader.
  auto stored = [&](const char* name) {
    int fd = open((mountPoint / name).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    __u32 value = 0xff;
    if (fd >= 0) {
      ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &value);
      close(fd);
    }
    return value;
  };
  EXPECT_TRUE(Fs().SetAttributes(L"v:\\hidden.exe", kAttrArchive));
  EXPECT_EQ(stored("hidden.exe"), uint32_t{ATTR_ARCH});
  EXPECT_TRUE(Fs().SetAttributes(L"v:\\plain.txt", kAttrArchive | kAttrHidden | kAttrSystem));
  EXPECT_EQ(stored("plain.txt"), uint32_t{ATTR_ARCH | ATTR_HIDDEN | ATTR_SYS});
  EXPECT_TRUE(Fs().SetAttributes(L"v:\\_", kAttrDirectory));
  EXPECT_EQ(stored("_"), uint32_t{ATTR_DIR});
  EXPECT_EQ(Fs().Attributes(L"v:\\hidden.exe") & (kAttrHidden | kAttrSystem), 0u);
  EXPECT_EQ(Fs().Attributes(L"v:\\plain.txt") & (kAttrHidden | kAttrSystem), kAttrHidden | kAttrSystem);
  UnmapDrive(L'v');
}

}  // namespace
}  // namespace dw

#endif  // _WIN32
