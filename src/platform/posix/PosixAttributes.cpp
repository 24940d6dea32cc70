#include "platform/posix/PosixAttributes.h"

#include <cerrno>

#include "platform/Platform.h"
#include "platform/posix/PosixErrors.h"

namespace dw::posix {

namespace {
constexpr uint32_t kStoredBits = kAttrHidden | kAttrSystem;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
}  // namespace

uint32_t AttributesOf(const std::string& unixPath, const struct stat& st) {
  TDosBitsReader reader;
  return AttributesOf({unixPath}, st, reader);
}

uint32_t AttributesOf(const TEntryAt& entry, const struct stat& st, TDosBitsReader& reader) {
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    bool folder = stat(entry.path.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return kAttrReparsePoint | (folder ? kAttrDirectory : kAttrArchive);
  }
  uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if ((st.st_mode & kWriteBits) == 0) attributes |= kAttrReadOnly;
  return attributes | reader.Read(entry, st);
}

bool ApplyAttributes(const std::string& unixPath, const struct stat& st, uint32_t attributes) {
  if (S_ISLNK(st.st_mode)) {
    // Links carry no user attributes on Linux; only "nothing to store" succeeds.
    if ((attributes & kStoredBits) == 0) return true;
    SetLastErrorCode(kErrorAccessDenied);
    return false;
  }
  if (!WriteDosBits(unixPath, st, attributes)) return false;
  if (S_ISDIR(st.st_mode) || KeepsReadOnly(st, unixPath)) return true;
  mode_t mode = st.st_mode & 07777;
  mode_t wanted = (attributes & kAttrReadOnly) ? (mode & ~kWriteBits) : (mode | S_IWUSR);
  if (wanted == mode || chmod(unixPath.c_str(), wanted) == 0) return true;
  SetLastErrorCode(ErrorFromErrno(errno));
  return false;
}

}  // namespace dw::posix
