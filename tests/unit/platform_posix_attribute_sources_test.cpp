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
  Bytes xattr;             // what any extended attribute read gives
  uint32_t fatValue = 0;   // what the FAT ioctl gives
  int error = 0;           // when set, every read fails with it
  std::vector<std::string> reads;  // "ioctl" or the attribute's name
  int typeAsks = 0;

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
  bool FileSystemType(const std::string&, int64_t& out) override {
    ++typeAsks;
    out = type;
    return typeKnown;
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
  const std::string command = "mount -t vfat -o loop,ro,shortname=lower '" + image.string() + "' '" +
                              mountPoint.string() + "' 2>/dev/null";
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

}  // namespace
}  // namespace dw

#endif  // _WIN32
