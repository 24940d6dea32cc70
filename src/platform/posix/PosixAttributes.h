// DOS attributes of Unix files. Hidden and system are read and written where the
// entry's file system keeps them (PosixAttributeSources.h): the FAT ioctl, the NTFS
// drivers' extended attributes, or the user.DOSATTRIB extended attribute as
// hexadecimal text ("0x6"), the convention of Wine and Samba; directory, read-only
// and reparse point come from the file's own mode.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "platform/posix/PosixAttributeSources.h"

namespace dw::posix {

// Attributes of the entry at unixPath whose lstat is st. A symbolic link is a
// reparse point, a directory one when it leads to a directory.
uint32_t AttributesOf(const std::string& unixPath, const struct stat& st);
// The same for one entry of a listing, its bits read through the listing's reader.
uint32_t AttributesOf(const TEntryAt& entry, const struct stat& st, TDosBitsReader& reader);

// Sets hidden, system and read-only (files only, as Wine does; FAT and NTFS keep
// read-only and archive of folders too); false with the last error set when the
// file system does not take them.
bool ApplyAttributes(const std::string& unixPath, const struct stat& st, uint32_t attributes);

}  // namespace dw::posix
