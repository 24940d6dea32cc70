// Drive letters on Linux: each letter is mapped to a folder, and Windows paths on
// it are turned into Unix paths. Windows paths that begin with "/" are plain Unix
// paths (the data folder, temporary folders), their backslashes read as slashes.
// All functions may be called from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace dw {

struct DriveOptions {
  uint32_t driveType = kDriveRemovable;
  uint32_t busType = 7;                     // USB
  std::optional<std::wstring> volumeLabel;  // the folder's base name when absent
  std::wstring fileSystem = L"FAT32";
};

// Maps the letter (either case) to a folder, replacing an earlier mapping.
void MapDrive(wchar_t letter, const std::string& unixFolder, DriveOptions options = {});
void UnmapDrive(wchar_t letter);

// The Unix path for a Windows path on a mapped drive, or for a path beginning with
// "/". The path is first normalised by GetFullPathNameW's rules, unless it is given
// in the "\\?\e:\" form, which is taken as written; each segment that does not
// exist under its exact name takes the name of an entry that differs only in
// letter case, as Windows and Wine find it. Missing segments stay as given. Names
// keep their exact bytes (PosixNames.h). Absent for relative paths, other path
// kinds, unmapped letters, and "." or ".." segments in a path taken as written.
std::optional<std::string> ToUnixPath(const std::wstring& windowsPath);

// The same without looking at the file system: each segment as written. What a
// path that names an entry exactly is shown as, even once the entry is gone.
std::optional<std::string> MappedUnixPath(const std::wstring& windowsPath);

// The Windows path of a Unix path below a mapped folder ("m:\dir\x"); other paths
// come back as Unix paths in the "/" form.
std::wstring ToWindowsPath(const std::string& unixPath);

struct MappedDrive {
  std::string folder;
  DriveOptions options;
};

// The mapping of the drive named by the first letter of path ("e:\", "\\.\e:").
std::optional<MappedDrive> FindMappedDrive(const std::wstring& path);
// Bit 0 for A: and so on, as GetLogicalDrives gives them.
uint32_t MappedDriveMask();

}  // namespace dw
