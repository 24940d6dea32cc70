#include "platform/posix/PosixAttributes.h"

#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/Platform.h"
#include "platform/posix/PosixAttributeSources.h"
#include "platform/posix/PosixErrors.h"

namespace dw::posix {

namespace {
constexpr const char* kDosAttrib = "user.DOSATTRIB";
constexpr uint32_t kStoredBits = kAttrHidden | kAttrSystem;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
}  // namespace

uint32_t StoredDosBits(const std::string& unixPath) {
  char text[64] = {};
  ssize_t n = lgetxattr(unixPath.c_str(), kDosAttrib, text, sizeof(text) - 1);
  if (n <= 0) return 0;
  // Samba may follow the text with a binary record after a zero byte.
  return static_cast<uint32_t>(std::strtoul(text, nullptr, 16)) & kStoredBits;
}

bool StoreDosBits(const std::string& unixPath, uint32_t bits) {
  bits &= kStoredBits;
  if (bits == 0) {
    // Wine removes the attribute when nothing is left to store; so do we.
    if (lremovexattr(unixPath.c_str(), kDosAttrib) == 0 || errno == ENODATA) return true;
    SetLastErrorCode(ErrorFromErrno(errno));
    return false;
  }
  char text[16];
  int n = std::snprintf(text, sizeof(text), "0x%x", bits);
  if (lsetxattr(unixPath.c_str(), kDosAttrib, text, static_cast<size_t>(n), 0) == 0) return true;
  SetLastErrorCode(ErrorFromErrno(errno));
  return false;
}

uint32_t AttributesOf(const std::string& unixPath, const struct stat& st) {
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    bool folder = stat(unixPath.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return kAttrReparsePoint | (folder ? kAttrDirectory : kAttrArchive);
  }
  uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if ((st.st_mode & kWriteBits) == 0) attributes |= kAttrReadOnly;
  return attributes | ReadDosBits(unixPath, st);
}

bool ApplyAttributes(const std::string& unixPath, const struct stat& st, uint32_t attributes) {
  if (S_ISLNK(st.st_mode)) {
    // Links carry no user attributes on Linux; only "nothing to store" succeeds.
    if ((attributes & kStoredBits) == 0) return true;
    SetLastErrorCode(kErrorAccessDenied);
    return false;
  }
  if (!StoreDosBits(unixPath, attributes)) return false;
  if (S_ISDIR(st.st_mode)) return true;
  mode_t mode = st.st_mode & 07777;
  mode_t wanted = (attributes & kAttrReadOnly) ? (mode & ~kWriteBits) : (mode | S_IWUSR);
  if (wanted == mode || chmod(unixPath.c_str(), wanted) == 0) return true;
  SetLastErrorCode(ErrorFromErrno(errno));
  return false;
}

}  // namespace dw::posix
