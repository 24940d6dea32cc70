// The volume label of a mounted stick, for the command-line scanner on Linux:
// from /proc/self/mountinfo the device behind a mount point, and from
// /dev/disk/by-label the label that udev found on that device.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dw::posix {

// The source (device) of the mount whose mount point is exactly mountPoint, in the
// text of a mountinfo file; the kernel's octal escapes (\040) decoded.
std::optional<std::string> MountSource(std::string_view mountinfo, std::string_view mountPoint);
// A name of /dev/disk/by-label decoded: udev writes each unsafe byte as \xHH.
std::string DecodeUdevName(std::string_view name);
// The label of the device mounted at folder (a canonical path); nothing when
// folder is no mount point or its device has no label.
std::optional<std::wstring> MountedVolumeLabel(const std::string& folder);

}  // namespace dw::posix
