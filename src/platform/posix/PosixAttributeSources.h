// Where a mounted file system keeps the hidden and system bits that Windows sees,
// chosen once per file system (by its statfs type) and read from there for each
// entry: one read per entry, whatever the file system. Writes go to the same place.
//   vfat, msdos, exfat  FAT_IOCTL_GET_ATTRIBUTES / _SET_ on the entry itself (the exfat
//                       drivers of older kernels lack them: told by their first answer);
//   ntfs3               read from system.dos_attrib; written to system.ntfs_attrib, the
//                       same value as 32 bits (the driver takes a single byte only
//                       under system.dos_attrib, and that byte would drop the rest);
//   fuseblk (ntfs-3g)   the system.ntfs_attrib_be extended attribute;
//   any other           user.DOSATTRIB, as Wine and Samba store them.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace dw::posix {

enum class DosBitsSource { SambaText, FatIoctl, Ntfs3Xattr, NtfsFuseXattr, None };

// The calls that read and write the bits, real by default and replaced in tests.
// Each fails as the system call does: -1 or false with errno set.
class AttributeCalls {
 public:
  virtual ~AttributeCalls() = default;
  // lgetxattr, lsetxattr, lremovexattr: never through a link.
  virtual ssize_t ReadXattr(const std::string& path, const char* name, void* value, size_t size);
  // ReadXattr of the entry entryName of an open folder (path is its full path):
  // relative to the folder where the kernel can (getxattrat, Linux 6.13), which
  // spares walking the whole path again for each entry; by path otherwise.
  virtual ssize_t ReadXattrAt(int folderFd, const char* entryName, const std::string& path, const char* name,
                              void* value, size_t size);
  virtual int WriteXattr(const std::string& path, const char* name, const void* value, size_t size);
  virtual int RemoveXattr(const std::string& path, const char* name);
  // FAT_IOCTL_GET_ATTRIBUTES / FAT_IOCTL_SET_ATTRIBUTES on the entry opened without
  // following a link.
  virtual bool ReadFatAttributes(const std::string& path, uint32_t& attributes);
  // ReadFatAttributes of the entry entryName of an open folder, opened relative to it.
  virtual bool ReadFatAttributesAt(int folderFd, const char* entryName, const std::string& path, uint32_t& attributes);
  virtual bool WriteFatAttributes(const std::string& path, uint32_t attributes);
  // statfs f_type.
  virtual bool FileSystemType(const std::string& path, int64_t& type);
};

// Replaces the calls (nullptr: the real ones again) and forgets every file system
// seen so far; not while a scan runs.
void SetAttributeCalls(AttributeCalls* calls);

DosBitsSource SourceOfFileSystem(int64_t type);
// "vfat", "ntfs3", "exfat"...; the type in hexadecimal when it has no name here.
std::string FileSystemName(int64_t type);

// Hidden and system of the entry at unixPath whose lstat is st (not a link).
uint32_t ReadDosBits(const std::string& unixPath, const struct stat& st);

// Where an entry is: its full path and, for an entry of a listing, the open folder
// and the entry's name in it.
struct TEntryAt {
  const std::string& path;
  int folderFd = -1;
  const char* name = nullptr;
};

// ReadDosBits for the entries of one folder listing: the file system is looked up
// once per device met (an entry that is a mount point has its own), not once per
// entry, and what the reads told is recorded when the reader goes.
class TDosBitsReader {
 public:
  TDosBitsReader() = default;
  ~TDosBitsReader();
  TDosBitsReader(const TDosBitsReader&) = delete;
  TDosBitsReader& operator=(const TDosBitsReader&) = delete;

  uint32_t Read(const TEntryAt& entry, const struct stat& st);

 private:
  void Flush();

  bool FKnown = false;
  dev_t FDevice = 0;
  DosBitsSource FSource = DosBitsSource::SambaText;
  bool FTried = false;
  bool FGaveBits = false;
  bool FUnsupported = false;
};

// The attributes that the file system keeps for Windows and that a write changes:
// hidden and system everywhere; read-only and archive too where FAT or NTFS keep them.
constexpr uint32_t kWritableDosBits = 0x1 | 0x2 | 0x4 | 0x20;

// Writes hidden and system (and, on FAT and NTFS, read-only and archive) of the
// entry at unixPath, whose lstat is st (not a link), where its file system keeps
// them, keeping every other bit stored there. False with the last error set when
// the write fails or the file system keeps no such bits and some are asked for;
// a write is never reported done unless the file system took it.
bool WriteDosBits(const std::string& unixPath, const struct stat& st, uint32_t attributes);
// Whether the entry's file system keeps read-only itself, so that a write of the
// bits has set it already.
bool KeepsReadOnly(const struct stat& st, const std::string& unixPath);

// The name of the file system of folder when no entry of it read so far gave
// hidden and system, or when it keeps none that can be read; nothing otherwise.
std::optional<std::string> FileSystemWithoutDosBits(const std::string& folder);

}  // namespace dw::posix
