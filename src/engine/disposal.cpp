#include "engine/disposal.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "common/Text.h"
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

// The paths being disposed of at this moment, letter case aside.
class TPathClaims {
 public:
  void Claim(const std::wstring& path) {
    std::unique_lock<std::mutex> lock(FLock);
    FReleased.wait(lock, [&] { return Find(path) == FPaths.end(); });
    FPaths.push_back(path);
  }
  void Release(const std::wstring& path) {
    {
      std::lock_guard<std::mutex> lock(FLock);
      auto it = Find(path);
      if (it != FPaths.end()) FPaths.erase(it);
    }
    FReleased.notify_all();
  }

 private:
  std::vector<std::wstring>::iterator Find(const std::wstring& path) {
    return std::find_if(FPaths.begin(), FPaths.end(), [&](const std::wstring& p) { return EqualsNoCase(p, path); });
  }

  std::mutex FLock;
  std::condition_variable FReleased;
  std::vector<std::wstring> FPaths;
};

TPathClaims& Claims() {
  static TPathClaims claims;
  return claims;
}

class TClaim {
 public:
  explicit TClaim(const std::wstring& path) : FPath(path) { Claims().Claim(FPath); }
  ~TClaim() { Claims().Release(FPath); }
  TClaim(const TClaim&) = delete;
  TClaim& operator=(const TClaim&) = delete;

 private:
  std::wstring FPath;
};

DisposeResult DeleteClaimed(const std::wstring& path) {
  FindData data;
  EntryPlace place = PlaceOf(path, &data);
  if (place == EntryPlace::Missing) return Gone(path);
  // Nothing is copied from or deleted off the drive through a link.
  if (place == EntryPlace::OffDrive) return DisposeResult::CopyFailed;
  // A folder (the target of a lure shortcut holds the user's files) cannot be kept
  // in the quarantine, so it is never deleted.
  if (data.attributes & kAttrDirectory) return DisposeResult::CopyFailed;
  if (CopyToQuarantine(path) != 0) {
    // Something outside the program may have taken it meanwhile: that is no failure.
    return PlaceOf(path) == EntryPlace::Missing ? Gone(path) : DisposeResult::CopyFailed;
  }
  // Once more at the deletion itself: the copy may have taken a while.
  place = PlaceOf(path);
  if (place == EntryPlace::Missing) return Gone(path);
  if (place == EntryPlace::OffDrive || !ForceDelete(path)) return DisposeResult::DeleteFailed;
  ForgetFinding(path);
  return DisposeResult::Done;
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
  TClaim claim(path);
  return DeleteClaimed(path);
}

std::optional<DisposeResult> DeleteListedFinding(const std::wstring& path) {
  TClaim claim(path);
  if (!State().ThreatList.Contains(path) && !State().RiskList.Contains(path)) return std::nullopt;
  return DeleteClaimed(path);
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

bool FindingDriveGone(const std::wstring& path) {
  const std::wstring root = DriveRootOf(path);
  return !root.empty() && Fs().Attributes(root) == kInvalidAttributes;
}

std::vector<std::wstring> ForgetDriveFindings(const std::wstring& root) {
  TSharedState& state = State();
  std::vector<std::wstring> dropped;
  auto onRoot = [&](const std::wstring& path) { return EqualsNoCase(DriveRootOf(path), root); };
  auto drop = [&](std::vector<std::wstring>& items) {
    auto kept = std::stable_partition(items.begin(), items.end(), [&](const std::wstring& p) { return !onRoot(p); });
    for (auto it = kept; it != items.end(); ++it) {
      if (std::none_of(dropped.begin(), dropped.end(), [&](const std::wstring& d) { return EqualsNoCase(d, *it); })) {
        dropped.push_back(*it);
      }
    }
    items.erase(kept, items.end());
  };
  state.ThreatList.Locked(drop);
  state.RiskList.Locked(drop);
  state.FindingsSeen.Locked(drop);
  for (const PdiskInfo& drive : state.DriveList.Snapshot()) {
    drive->threat.Locked(drop);
    drive->Risk.Locked(drop);
  }
  return dropped;
}

}  // namespace dw
