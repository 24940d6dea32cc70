// The entries of a drive as its file system holds them. A path's text may lead to
// another entry than the one a listing showed: normalisation drops trailing dots
// and blanks, letter case is ignored, and a folder that is a link or a junction
// leads off the drive. These keep a finding's path to the one entry it names.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace dw {

// folder + name for an entry of folder's listing, in the form that reaches exactly
// that name ("\\?\" in front when normalisation would change it).
std::wstring EntryPath(const std::wstring& folder, const std::wstring& name);

enum class EntryPlace {
  OnDrive,  // every component below the root exists, none is a link or junction
  Missing,  // a component is not there
  OffDrive  // a component below the root is a reparse point: it may lead anywhere
};

struct DriveEntry {
  EntryPlace place = EntryPlace::Missing;
  // With OnDrive: the path spelled with each name as its folder stores it.
  std::wstring path;
  FindData data;  // the entry itself
};

// Looks path up one component at a time below root, on the file system as it is
// now. path must begin with root (letter case aside), "\\?\" in front or not.
DriveEntry ResolveOnDrive(const std::wstring& path, const std::wstring& root);

}  // namespace dw
