#include "platform/posix/PosixAttributeSources.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <sys/xattr.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/Platform.h"
#include "platform/posix/PosixFileIo.h"

namespace dw::posix {

namespace {

constexpr uint32_t kStoredBits = kAttrHidden | kAttrSystem;

constexpr int64_t kMsdosMagic = 0x4d44;  // vfat and msdos alike
constexpr int64_t kExfatMagic = 0x2011BAB0;
constexpr int64_t kNtfs3Magic = 0x7366746e;
constexpr int64_t kNtfsLegacyMagic = 0x5346544e;  // the old read-only driver: no attribute interface
constexpr int64_t kFuseMagic = 0x65735546;

// A machine has a few dozen mounts; past this many, the type is asked per entry.
constexpr size_t kSeenLimit = 64;

struct SeenFileSystem {
  dev_t device;
  int64_t type;
  DosBitsSource source;
  bool tried;     // an entry was read
  bool gaveBits;  // an entry's read gave a value
};

AttributeCalls realCalls;
std::atomic<AttributeCalls*> calls{&realCalls};
std::mutex seenLock;
std::vector<SeenFileSystem> seen;

// The record of the device, made on its first entry. Unknown when the file system
// cannot be asked: its entries are then read as Samba's.
SeenFileSystem Lookup(dev_t device, const std::string& path) {
  {
    std::lock_guard<std::mutex> hold(seenLock);
    for (const SeenFileSystem& s : seen) {
      if (s.device == device) return s;
    }
  }
  int64_t type = 0;
  SeenFileSystem record{device, 0, DosBitsSource::SambaText, false, false};
  if (calls.load()->FileSystemType(path, type)) {
    record.type = type;
    record.source = SourceOfFileSystem(type);
  }
  std::lock_guard<std::mutex> hold(seenLock);
  for (const SeenFileSystem& s : seen) {
    if (s.device == device) return s;
  }
  if (seen.size() < kSeenLimit) seen.push_back(record);
  return record;
}

void Record(dev_t device, bool gaveBits, bool unsupported) {
  std::lock_guard<std::mutex> hold(seenLock);
  for (SeenFileSystem& s : seen) {
    if (s.device != device) continue;
    s.tried = true;
    s.gaveBits = s.gaveBits || gaveBits;
    // The driver has no such interface: asking again for each entry would only cost.
    if (unsupported && !s.gaveBits) s.source = DosBitsSource::None;
    return;
  }
}

bool Unsupported(int error) { return error == ENOTSUP || error == EOPNOTSUPP || error == ENOTTY; }

// Samba may follow the text with a binary record after a zero byte.
std::optional<uint32_t> SambaBits(const std::string& path) {
  char text[64] = {};
  ssize_t n = calls.load()->ReadXattr(path, "user.DOSATTRIB", text, sizeof(text) - 1);
  if (n <= 0) return std::nullopt;
  return static_cast<uint32_t>(std::strtoul(text, nullptr, 16));
}

// ntfs3 gives one byte; older versions gave the 32-bit value, little-endian.
std::optional<uint32_t> Ntfs3Bits(const std::string& path) {
  unsigned char value[8] = {};
  ssize_t n = calls.load()->ReadXattr(path, "system.dos_attrib", value, sizeof(value));
  if (n == 1) return value[0];
  if (n == 4) return value[0] | value[1] << 8 | value[2] << 16 | static_cast<uint32_t>(value[3]) << 24;
  return std::nullopt;
}

std::optional<uint32_t> NtfsFuseBits(const std::string& path) {
  unsigned char value[8] = {};
  ssize_t n = calls.load()->ReadXattr(path, "system.ntfs_attrib_be", value, sizeof(value));
  if (n != 4) return std::nullopt;
  return static_cast<uint32_t>(value[0]) << 24 | value[1] << 16 | value[2] << 8 | value[3];
}

std::optional<uint32_t> FatBits(const std::string& path, const struct stat& st) {
  // Only what a FAT directory can hold is opened: never a device or a pipe.
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return std::nullopt;
  uint32_t attributes = 0;
  if (!calls.load()->ReadFatAttributes(path, attributes)) return std::nullopt;
  return attributes;
}

}  // namespace

ssize_t AttributeCalls::ReadXattr(const std::string& path, const char* name, void* value, size_t size) {
  return lgetxattr(path.c_str(), name, value, size);
}

bool AttributeCalls::ReadFatAttributes(const std::string& path, uint32_t& attributes) {
  // O_NONBLOCK: an entry swapped for a pipe since its lstat does not hold the scan.
  ScopedFd fd(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.IsValid()) return false;
  __u32 value = 0;
  if (ioctl(fd.Get(), FAT_IOCTL_GET_ATTRIBUTES, &value) != 0) return false;
  attributes = value;
  return true;
}

bool AttributeCalls::FileSystemType(const std::string& path, int64_t& type) {
  struct statfs fs;
  if (statfs(path.c_str(), &fs) != 0) return false;
  type = static_cast<int64_t>(fs.f_type);
  return true;
}

void SetAttributeCalls(AttributeCalls* replacement) {
  std::lock_guard<std::mutex> hold(seenLock);
  calls.store(replacement ? replacement : &realCalls);
  seen.clear();
}

DosBitsSource SourceOfFileSystem(int64_t type) {
  switch (type) {
    case kMsdosMagic:
    case kExfatMagic:
      return DosBitsSource::FatIoctl;
    case kNtfs3Magic:
      return DosBitsSource::Ntfs3Xattr;
    case kFuseMagic:
      return DosBitsSource::NtfsFuseXattr;
    case kNtfsLegacyMagic:
      return DosBitsSource::None;
    default:
      return DosBitsSource::SambaText;
  }
}

std::string FileSystemName(int64_t type) {
  switch (type) {
    case kMsdosMagic: return "vfat";
    case kExfatMagic: return "exfat";
    case kNtfs3Magic: return "ntfs3";
    case kNtfsLegacyMagic: return "ntfs";
    case kFuseMagic: return "fuseblk";
    case 0xEF53: return "ext4";
    case 0x01021994: return "tmpfs";
    case 0x9123683E: return "btrfs";
    case 0x58465342: return "xfs";
    case 0x794c7630: return "overlay";
    default: break;
  }
  char text[24];
  std::snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(type));
  return text;
}

uint32_t ReadDosBits(const std::string& unixPath, const struct stat& st) {
  const SeenFileSystem fs = Lookup(st.st_dev, unixPath);
  std::optional<uint32_t> bits;
  errno = 0;
  switch (fs.source) {
    case DosBitsSource::SambaText: bits = SambaBits(unixPath); break;
    case DosBitsSource::FatIoctl: bits = FatBits(unixPath, st); break;
    case DosBitsSource::Ntfs3Xattr: bits = Ntfs3Bits(unixPath); break;
    case DosBitsSource::NtfsFuseXattr: bits = NtfsFuseBits(unixPath); break;
    case DosBitsSource::None: return 0;
  }
  Record(st.st_dev, bits.has_value(), !bits && Unsupported(errno));
  return bits.value_or(0) & kStoredBits;
}

std::optional<std::string> FileSystemWithoutDosBits(const std::string& folder) {
  struct stat st;
  if (stat(folder.c_str(), &st) != 0) return std::nullopt;
  const SeenFileSystem fs = Lookup(st.st_dev, folder);
  if (fs.gaveBits) return std::nullopt;
  // A FAT or NTFS volume keeps them even while none of its entries was read; a
  // folder of another file system has them only where Samba or Wine wrote them.
  bool keepsThem = fs.source == DosBitsSource::FatIoctl || fs.source == DosBitsSource::Ntfs3Xattr ||
                   fs.source == DosBitsSource::NtfsFuseXattr;
  if (keepsThem && !fs.tried) return std::nullopt;
  return FileSystemName(fs.type);
}

}  // namespace dw::posix
