#include "platform/posix/PosixVolumes.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>

#include "platform/posix/PosixDrives.h"
#include "platform/posix/PosixErrors.h"

namespace dw {

namespace {

// The mapped drive whose folder is there; the last error set otherwise.
std::optional<MappedDrive> PresentDrive(const std::wstring& path) {
  std::optional<MappedDrive> drive = FindMappedDrive(path);
  if (!drive) {
    posix::SetLastErrorCode(kErrorPathNotFound);
    return std::nullopt;
  }
  struct stat st;
  if (stat(drive->folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    posix::SetLastErrorCode(kErrorNotReady);
    return std::nullopt;
  }
  return drive;
}

// A serial number that stays the same for the same folder.
uint32_t SerialOf(const std::string& folder) {
  uint32_t hash = 2166136261u;
  for (char c : folder) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

}  // namespace

uint32_t PosixVolumes::LogicalDrives() { return MappedDriveMask(); }

uint32_t PosixVolumes::DriveType(const std::wstring& root) {
  std::optional<MappedDrive> drive = FindMappedDrive(root);
  return drive ? drive->options.driveType : kDriveNoRootDir;
}

bool PosixVolumes::VolumeInformation(const std::wstring& root, VolumeInfo& info) {
  std::optional<MappedDrive> drive = PresentDrive(root);
  if (!drive) return false;
  info.name = drive->options.volumeLabel.value_or(L"");
  info.fileSystem = drive->options.fileSystem;
  info.serial = SerialOf(drive->folder);
  info.maxComponentLength = 255;
  info.flags = 0x6;  // case-preserved names, Unicode on disk
  return true;
}

bool PosixVolumes::DiskSpace(const std::wstring& root, int64_t& total, int64_t& freeForCaller) {
  std::optional<MappedDrive> drive = PresentDrive(root);
  struct statvfs vfs;
  if (!drive) return false;
  if (statvfs(drive->folder.c_str(), &vfs) != 0) {
    posix::SetLastErrorCode(posix::ErrorFromErrno(errno));
    return false;
  }
  total = static_cast<int64_t>(vfs.f_blocks) * static_cast<int64_t>(vfs.f_frsize);
  freeForCaller = static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize);
  return true;
}

uint32_t PosixVolumes::StorageBusType(const std::wstring& device) {
  std::optional<MappedDrive> drive = PresentDrive(device);
  return drive ? drive->options.busType : 0;
}

bool PosixVolumes::DeviceCheck(const std::wstring& device, uint32_t) { return PresentDrive(device).has_value(); }

uint32_t PosixVolumes::LastError() { return posix::LastErrorCode(); }

}  // namespace dw
