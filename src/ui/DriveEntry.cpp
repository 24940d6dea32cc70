#include "ui/DriveEntry.h"

#include "common/Text.h"
#include "state/SharedState.h"

namespace dw {

PdiskInfo DriveOfEntry(const TComponent& entry) {
  PdiskInfo drive = State().DriveList.Get(entry.Tag());
  if (!drive) return nullptr;
  // Positions shift when a drive before this one leaves; the root in the caption
  // tells whether the position still holds the drive the user picked.
  const std::wstring named = L"(" + ToUpper(drive->root) + L")";
  const std::wstring& caption = entry.Caption();
  if (caption.size() < named.size() || caption.compare(caption.size() - named.size(), named.size(), named) != 0)
    return nullptr;
  return drive;
}

}  // namespace dw
