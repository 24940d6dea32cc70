// The drive that a drive-menu entry stands for.
#pragma once

#include "forms/forms.h"
#include "state/diskinfo.h"

namespace dw {

// An entry built by BuildDriveMenu carries its drive's position in DriveList as it
// was then, and names the drive as "<volume name> (<ROOT>)". Null when that
// position is empty now, or holds another drive because one before it left.
PdiskInfo DriveOfEntry(const TComponent& entry);

}  // namespace dw
