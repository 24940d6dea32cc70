#include "engine/disposal.h"

#include "engine/drivepath.h"
#include "engine/quarantine.h"
#include "engine/rules.h"
#include "platform/Platform.h"
#include "state/Elevation.h"
#include "state/SharedState.h"

namespace dw {

namespace {

// The entry a finding's path names now, name for name as the scan listed it. An
// entry of a similar name (another letter case, found once the finding itself has
// gone) is not the finding, and a folder on the way that is now a link or junction
// may lead anywhere off the drive.
EntryPlace PlaceOf(const std::wstring& path, FindData* data = nullptr) {
  DriveEntry entry = ResolveOnDrive(path, DriveRootOf(path));
  if (entry.place == EntryPlace::OnDrive && entry.path != path) return EntryPlace::Missing;
  if (data) *data = entry.data;
  return entry.place;
}

DisposeResult Gone(const std::wstring& path) {
  ForgetFinding(path);
  return DisposeResult::Missing;
}

}  // namespace

bool ForceDelete(const std::wstring& path) {
  Fs().SetAttributes(path, kAttrArchive);
  if (Fs().Delete(path)) return true;
  if (Fs().Attributes(path) == kInvalidAttributes) return true;
  RequestElevation();
  return false;
}

DisposeResult DeleteFinding(const std::wstring& path) {
  FindData data;
  EntryPlace place = PlaceOf(path, &data);
  if (place == EntryPlace::Missing) return Gone(path);
  // Nothing is copied from or deleted off the drive through a link.
  if (place == EntryPlace::OffDrive) return DisposeResult::CopyFailed;
  // A folder (the target of a lure shortcut holds the user's files) cannot be kept
  // in the quarantine, so it is never deleted.
  if (data.attributes & kAttrDirectory) return DisposeResult::CopyFailed;
  if (CopyToQuarantine(path) != 0) {
    // Another run may have taken it meanwhile: that is no failure.
    return PlaceOf(path) == EntryPlace::Missing ? Gone(path) : DisposeResult::CopyFailed;
  }
  // Once more at the deletion itself: the copy may have taken a while.
  place = PlaceOf(path);
  if (place == EntryPlace::Missing) return Gone(path);
  if (place == EntryPlace::OffDrive || !ForceDelete(path)) return DisposeResult::DeleteFailed;
  ForgetFinding(path);
  return DisposeResult::Done;
}

DisposeResult QuarantineFinding(const std::wstring& path) {
  DisposeResult result = DeleteFinding(path);
  Main().Invoke([] {
    if (IScanView* view = ScanView()) view->RefreshFindingsView(0);
  });
  return result;
}

void ForgetFinding(const std::wstring& path) {
  State().ThreatList.Remove(path);
  State().RiskList.Remove(path);
}

}  // namespace dw
