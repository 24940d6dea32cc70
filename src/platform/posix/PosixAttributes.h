// DOS attributes of Unix files. Hidden and system are read where the entry's file
// system keeps them (PosixAttributeSources.h) and written to the user.DOSATTRIB
// extended attribute as hexadecimal text ("0x6"), the convention of Wine and Samba;
// directory, read-only and reparse point come from the file's own mode.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace dw::posix {

// Attributes of the entry at unixPath whose lstat is st. A symbolic link is a
// reparse point, a directory one when it leads to a directory.
uint32_t AttributesOf(const std::string& unixPath, const struct stat& st);

// Sets hidden, system and read-only (files only, as Wine does); false with the
// last error set when the extended attribute cannot be written.
bool ApplyAttributes(const std::string& unixPath, const struct stat& st, uint32_t attributes);

// Hidden and system as stored in user.DOSATTRIB for unixPath (0 when none are stored).
uint32_t StoredDosBits(const std::string& unixPath);
bool StoreDosBits(const std::string& unixPath, uint32_t bits);

}  // namespace dw::posix
