#include "platform/posix/PosixErrors.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/Platform.h"

namespace dw::posix {

namespace {
thread_local uint32_t lastError = 0;

bool FolderExists(const std::string& unixPath) {
  size_t slash = unixPath.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : unixPath.substr(0, slash == 0 ? 1 : slash);
  struct stat st;
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

void SetLastErrorCode(uint32_t code) { lastError = code; }

uint32_t LastErrorCode() { return lastError; }

uint32_t ErrorFromErrno(int error) {
  switch (error) {
    case 0: return 0;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return kErrorAccessDenied;
    case EEXIST: return kErrorAlreadyExists;
    case ENOTEMPTY: return 145;  // ERROR_DIR_NOT_EMPTY
    case EXDEV: return 17;       // ERROR_NOT_SAME_DEVICE
    case EROFS: return 19;       // ERROR_WRITE_PROTECT
    case ENOSPC:
    case EDQUOT: return 112;        // ERROR_DISK_FULL
    case ENAMETOOLONG: return 206;  // ERROR_FILENAME_EXCED_RANGE
    case EWOULDBLOCK:
    case EBUSY: return kErrorSharingViolation;
    case ENOTSUP: return kErrorNotSupported;
    case EINVAL: return kErrorInvalidParameter;
    default: return 31;  // ERROR_GEN_FAILURE
  }
}

void SetErrorForPath(int error, const std::string& unixPath) {
  if (error == ENOENT && !FolderExists(unixPath)) {
    SetLastErrorCode(kErrorPathNotFound);
    return;
  }
  SetLastErrorCode(ErrorFromErrno(error));
}

}  // namespace dw::posix
