// DriveList shown in list views and menus of the forms model.
#pragma once

#include <cstdint>
#include <string>

#include "forms/forms.h"
#include "state/diskinfo.h"

namespace dw {

// The digit-group separator of sizes. Portable code cannot ask the user's locale,
// so it defaults to a blank (the French grouping); the Windows start-up may set
// the user's own separator.
void SetThousandsSeparator(const std::wstring& separator);

// A size in bytes as whole mebibytes, the fraction dropped (-1, "unavailable",
// gives 0), grouped by thousands and followed by " Mo".
std::wstring FormatMegabytes(int64_t bytes);

// Appends one row per record of list, in list order, skipping excluded drives
// when skipExcluded: the root in upper case, the volume name, the total size and
// the space free for the caller. The caller clears the view first.
void FillDriveListView(const TDriveList& list, TComponent& view, bool skipExcluded);

// Replaces the children of menuItem with one entry per drive that is not
// excluded: caption "<volume name> (<ROOT>)", tag the drive's position in list,
// handler as its OnClick.
void BuildDriveMenu(const TDriveList& list, TComponent& menuItem, const TNotifyEvent& handler);

}  // namespace dw
