#include "platform/posix/PosixAttributeSources.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/Platform.h"
#include "platform/posix/PosixErrors.h"
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

// O_NONBLOCK: an entry swapped for a pipe since its lstat does not hold the scan.
constexpr int kFatOpenFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

bool FatIoctl(int openedFd, uint32_t& attributes) {
  ScopedFd fd(openedFd);
  if (!fd.IsValid()) return false;
  __u32 value = 0;
  if (ioctl(fd.Get(), FAT_IOCTL_GET_ATTRIBUTES, &value) != 0) return false;
  attributes = value;
  return true;
}

// getxattrat's number is the same on every architecture that has it.
constexpr long kGetxattratCall = 464;
std::atomic<bool> noGetxattrat{false};

struct XattrArgs {
  uint64_t value;
  uint32_t size;
  uint32_t flags;
};

class TRealCalls : public AttributeCalls {
 public:
  ssize_t ReadXattrAt(int folderFd, const char* entryName, const std::string& path, const char* name, void* value,
                      size_t size) override {
    if (!noGetxattrat.load(std::memory_order_relaxed)) {
      XattrArgs args{reinterpret_cast<uintptr_t>(value), static_cast<uint32_t>(size), 0};
      long n = syscall(kGetxattratCall, folderFd, entryName, AT_SYMLINK_NOFOLLOW, name, &args, sizeof(args));
      if (n >= 0 || (errno != ENOSYS && errno != EPERM)) return n;
      // A kernel without the call, or a sandbox that refuses calls it does not
      // know (with EPERM, which the read by path then does not give).
      bool unknown = errno == ENOSYS;
      ssize_t byPath = ReadXattr(path, name, value, size);
      if (unknown || byPath >= 0 || errno != EPERM) noGetxattrat.store(true, std::memory_order_relaxed);
      return byPath;
    }
    return ReadXattr(path, name, value, size);
  }

  bool ReadFatAttributesAt(int folderFd, const char* entryName, const std::string&, uint32_t& attributes) override {
    return FatIoctl(openat(folderFd, entryName, kFatOpenFlags), attributes);
  }
};

TRealCalls realCalls;
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

void Record(dev_t device, bool tried, bool gaveBits, bool unsupported) {
  if (!tried) return;
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

ssize_t ReadXattrOf(const TEntryAt& entry, const char* name, void* value, size_t size) {
  AttributeCalls* c = calls.load();
  if (entry.folderFd >= 0) return c->ReadXattrAt(entry.folderFd, entry.name, entry.path, name, value, size);
  return c->ReadXattr(entry.path, name, value, size);
}

// Samba may follow the text with a binary record after a zero byte.
std::optional<uint32_t> SambaBits(const TEntryAt& entry) {
  char text[64] = {};
  ssize_t n = ReadXattrOf(entry, "user.DOSATTRIB", text, sizeof(text) - 1);
  if (n <= 0) return std::nullopt;
  return static_cast<uint32_t>(std::strtoul(text, nullptr, 16));
}

// ntfs3 gives one byte; older versions gave the 32-bit value, little-endian.
std::optional<uint32_t> Ntfs3Bits(const TEntryAt& entry) {
  unsigned char value[8] = {};
  ssize_t n = ReadXattrOf(entry, "system.dos_attrib", value, sizeof(value));
  if (n == 1) return value[0];
  if (n == 4) return value[0] | value[1] << 8 | value[2] << 16 | static_cast<uint32_t>(value[3]) << 24;
  return std::nullopt;
}

std::optional<uint32_t> NtfsFuseBits(const TEntryAt& entry) {
  unsigned char value[8] = {};
  ssize_t n = ReadXattrOf(entry, "system.ntfs_attrib_be", value, sizeof(value));
  if (n != 4) return std::nullopt;
  return static_cast<uint32_t>(value[0]) << 24 | value[1] << 16 | value[2] << 8 | value[3];
}

std::optional<uint32_t> FatBits(const TEntryAt& entry, const struct stat& st) {
  // Only what a FAT directory can hold is opened: never a device or a pipe.
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return std::nullopt;
  uint32_t attributes = 0;
  AttributeCalls* c = calls.load();
  bool read = entry.folderFd >= 0 ? c->ReadFatAttributesAt(entry.folderFd, entry.name, entry.path, attributes)
                                  : c->ReadFatAttributes(entry.path, attributes);
  if (!read) return std::nullopt;
  return attributes;
}

std::optional<uint32_t> BitsFrom(DosBitsSource source, const TEntryAt& entry, const struct stat& st) {
  switch (source) {
    case DosBitsSource::SambaText: return SambaBits(entry);
    case DosBitsSource::FatIoctl: return FatBits(entry, st);
    case DosBitsSource::Ntfs3Xattr: return Ntfs3Bits(entry);
    case DosBitsSource::NtfsFuseXattr: return NtfsFuseBits(entry);
    case DosBitsSource::None: break;
  }
  return std::nullopt;
}

bool Failed(int error) {
  SetLastErrorCode(ErrorFromErrno(error));
  return false;
}

uint32_t Merge(uint32_t stored, uint32_t wanted, uint32_t changed) { return (stored & ~changed) | (wanted & changed); }

bool WriteFat(const std::string& path, const struct stat& st, uint32_t attributes) {
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
    SetLastErrorCode(kErrorAccessDenied);
    return false;
  }
  // The directory, volume and other bits stay as the volume has them.
  uint32_t stored = 0;
  AttributeCalls* c = calls.load();
  if (!c->ReadFatAttributes(path, stored)) return Failed(errno);
  uint32_t wanted = Merge(stored, attributes, kWritableDosBits);
  if (wanted == stored) return true;
  return c->WriteFatAttributes(path, wanted) || Failed(errno);
}

// The whole 32-bit value, so that compression, sparseness and the rest are kept.
bool WriteNtfs3(const std::string& path, uint32_t attributes) {
  unsigned char value[4] = {};
  AttributeCalls* c = calls.load();
  ssize_t n = c->ReadXattr(path, "system.ntfs_attrib", value, sizeof(value));
  if (n < 0) return Failed(errno);
  if (n != 4) return Failed(EIO);
  uint32_t stored = value[0] | value[1] << 8 | value[2] << 16 | static_cast<uint32_t>(value[3]) << 24;
  uint32_t wanted = Merge(stored, attributes, kWritableDosBits);
  if (wanted == stored) return true;
  for (int i = 0; i < 4; ++i) value[i] = static_cast<unsigned char>(wanted >> (8 * i));
  return c->WriteXattr(path, "system.ntfs_attrib", value, sizeof(value)) == 0 || Failed(errno);
}

bool WriteNtfsFuse(const std::string& path, uint32_t attributes) {
  unsigned char value[4] = {};
  AttributeCalls* c = calls.load();
  ssize_t n = c->ReadXattr(path, "system.ntfs_attrib_be", value, sizeof(value));
  if (n < 0) return Failed(errno);
  if (n != 4) return Failed(EIO);
  uint32_t stored = static_cast<uint32_t>(value[0]) << 24 | value[1] << 16 | value[2] << 8 | value[3];
  uint32_t wanted = Merge(stored, attributes, kWritableDosBits);
  if (wanted == stored) return true;
  for (int i = 0; i < 4; ++i) value[i] = static_cast<unsigned char>(wanted >> (24 - 8 * i));
  return c->WriteXattr(path, "system.ntfs_attrib_be", value, sizeof(value)) == 0 || Failed(errno);
}

bool WriteSamba(const std::string& path, uint32_t attributes) {
  uint32_t bits = attributes & kStoredBits;
  AttributeCalls* c = calls.load();
  if (bits == 0) {
    // Wine removes the attribute when nothing is left to store; so do we.
    return c->RemoveXattr(path, "user.DOSATTRIB") == 0 || errno == ENODATA || Failed(errno);
  }
  char text[16];
  int n = std::snprintf(text, sizeof(text), "0x%x", bits);
  return c->WriteXattr(path, "user.DOSATTRIB", text, static_cast<size_t>(n)) == 0 || Failed(errno);
}

// Where writes go: the file system's own place, whatever its reads turned out to
// give. A driver without the interface then fails the write, which is the truth.
DosBitsSource WriteSource(const std::string& path, const struct stat& st) {
  int64_t type = 0;
  {
    std::lock_guard<std::mutex> hold(seenLock);
    for (const SeenFileSystem& s : seen) {
      if (s.device == st.st_dev && s.type != 0) return SourceOfFileSystem(s.type);
    }
  }
  if (!calls.load()->FileSystemType(path, type)) return DosBitsSource::SambaText;
  return SourceOfFileSystem(type);
}

}  // namespace

ssize_t AttributeCalls::ReadXattr(const std::string& path, const char* name, void* value, size_t size) {
  return lgetxattr(path.c_str(), name, value, size);
}

ssize_t AttributeCalls::ReadXattrAt(int, const char*, const std::string& path, const char* name, void* value,
                                    size_t size) {
  return ReadXattr(path, name, value, size);
}

int AttributeCalls::WriteXattr(const std::string& path, const char* name, const void* value, size_t size) {
  return lsetxattr(path.c_str(), name, value, size, 0);
}

int AttributeCalls::RemoveXattr(const std::string& path, const char* name) { return lremovexattr(path.c_str(), name); }

bool AttributeCalls::ReadFatAttributes(const std::string& path, uint32_t& attributes) {
  return FatIoctl(open(path.c_str(), kFatOpenFlags), attributes);
}

bool AttributeCalls::ReadFatAttributesAt(int, const char*, const std::string& path, uint32_t& attributes) {
  return ReadFatAttributes(path, attributes);
}

bool AttributeCalls::WriteFatAttributes(const std::string& path, uint32_t attributes) {
  ScopedFd fd(open(path.c_str(), kFatOpenFlags));
  if (!fd.IsValid()) return false;
  __u32 value = attributes;
  return ioctl(fd.Get(), FAT_IOCTL_SET_ATTRIBUTES, &value) == 0;
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
    case kExfatMagic: return DosBitsSource::FatIoctl;
    case kNtfs3Magic: return DosBitsSource::Ntfs3Xattr;
    case kFuseMagic: return DosBitsSource::NtfsFuseXattr;
    case kNtfsLegacyMagic: return DosBitsSource::None;
    default: return DosBitsSource::SambaText;
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
  TDosBitsReader reader;
  return reader.Read({unixPath}, st);
}

TDosBitsReader::~TDosBitsReader() { Flush(); }

void TDosBitsReader::Flush() {
  if (FKnown) Record(FDevice, FTried, FGaveBits, FUnsupported);
  FKnown = FTried = FGaveBits = FUnsupported = false;
}

uint32_t TDosBitsReader::Read(const TEntryAt& entry, const struct stat& st) {
  if (!FKnown || st.st_dev != FDevice) {
    Flush();
    FSource = Lookup(st.st_dev, entry.path).source;
    FDevice = st.st_dev;
    FKnown = true;
  }
  if (FSource == DosBitsSource::None) return 0;
  errno = 0;
  std::optional<uint32_t> bits = BitsFrom(FSource, entry, st);
  FTried = true;
  FGaveBits = FGaveBits || bits.has_value();
  if (!bits && Unsupported(errno)) {
    FUnsupported = true;
    if (!FGaveBits) FSource = DosBitsSource::None;
  }
  return bits.value_or(0) & kStoredBits;
}

bool WriteDosBits(const std::string& unixPath, const struct stat& st, uint32_t attributes) {
  switch (WriteSource(unixPath, st)) {
    case DosBitsSource::SambaText: return WriteSamba(unixPath, attributes);
    case DosBitsSource::FatIoctl: return WriteFat(unixPath, st, attributes);
    case DosBitsSource::Ntfs3Xattr: return WriteNtfs3(unixPath, attributes);
    case DosBitsSource::NtfsFuseXattr: return WriteNtfsFuse(unixPath, attributes);
    case DosBitsSource::None: break;
  }
  // Nothing is kept, so nothing is hidden: only "not hidden" is true already.
  if ((attributes & kStoredBits) == 0) return true;
  SetLastErrorCode(kErrorNotSupported);
  return false;
}

bool KeepsReadOnly(const struct stat& st, const std::string& unixPath) {
  return WriteSource(unixPath, st) == DosBitsSource::FatIoctl;
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
