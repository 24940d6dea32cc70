#include "ui/DriveListing.h"

#include "platform/Platform.h"
#include "state/SharedState.h"

namespace dw {

namespace {

std::wstring separator = L" ";

// Roots are a letter, ":" and "\"; only the letter changes case.
std::wstring UpperRoot(const std::wstring& root) {
  std::wstring upper = root;
  for (wchar_t& c : upper)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return upper;
}

TListRow DriveRow(const diskinfo& drive) {
  int64_t totalBytes = -1, freeBytes = -1;
  if (!Vol().DiskSpace(drive.root, totalBytes, freeBytes)) totalBytes = freeBytes = -1;
  return {UpperRoot(drive.root), {drive.VolName, FormatMegabytes(totalBytes), FormatMegabytes(freeBytes)}};
}

}  // namespace

void SetThousandsSeparator(const std::wstring& newSeparator) { separator = newSeparator; }

std::wstring FormatMegabytes(int64_t bytes) {
  int64_t megabytes = bytes / 1048576;  // C++ division drops the fraction toward zero
  bool negative = megabytes < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(megabytes) : static_cast<uint64_t>(megabytes);
  std::wstring digits = std::to_wstring(magnitude);
  std::wstring text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += separator;
    text += digits[i];
  }
  return (negative ? L"-" : L"") + text + L" Mo";
}

void FillDriveListView(const TDriveList& list, TComponent& view, bool skipExcluded) {
  for (const PdiskInfo& drive : list.Snapshot()) {
    if (skipExcluded && State().ExcludedDrives.Contains(drive->root)) continue;
    view.AddRow(DriveRow(*drive));
  }
}

void BuildDriveMenu(const TDriveList& list, TComponent& menuItem, const TNotifyEvent& handler) {
  menuItem.ClearChildren();
  std::vector<PdiskInfo> drives = list.Snapshot();
  for (size_t i = 0; i < drives.size(); ++i) {
    if (State().ExcludedDrives.Contains(drives[i]->root)) continue;
    menuItem.AddChild(drives[i]->VolName + L" (" + UpperRoot(drives[i]->root) + L")", static_cast<int>(i), handler);
  }
}

}  // namespace dw
