// Where a mounted file system keeps the hidden and system bits that Windows sees,
// chosen once per file system (by its statfs type) and read from there for each
// entry: one read per entry, whatever the file system.
//   vfat, msdos, exfat  FAT_IOCTL_GET_ATTRIBUTES on the entry itself (the exfat
//                       drivers of older kernels lack it: told by their first answer);
//   ntfs3               the system.dos_attrib extended attribute;
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

// The calls that read the bits, real by default and replaced in tests. Each fails
// as the system call does: -1 or false with errno set.
class AttributeCalls {
 public:
  virtual ~AttributeCalls() = default;
  // lgetxattr: never through a link.
  virtual ssize_t ReadXattr(const std::string& path, const char* name, void* value, size_t size);
  // FAT_IOCTL_GET_ATTRIBUTES on the entry opened without following a link.
  virtual bool ReadFatAttributes(const std::string& path, uint32_t& attributes);
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

// The name of the file system of folder when no entry of it read so far gave
// hidden and system, or when it keeps none that can be read; nothing otherwise.
std::optional<std::string> FileSystemWithoutDosBits(const std::string& folder);

}  // namespace dw::posix
