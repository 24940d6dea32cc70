#include "engine/disposal.h"

#include "engine/quarantine.h"
#include "platform/Platform.h"
#include "state/Elevation.h"
#include "state/SharedState.h"

namespace dw {

bool ForceDelete(const std::wstring& path) {
  Fs().SetAttributes(path, kAttrArchive);
  if (Fs().Delete(path)) return true;
  if (Fs().Attributes(path) == kInvalidAttributes) return true;
  RequestElevation();
  return false;
}

DisposeResult DeleteFinding(const std::wstring& path) {
  uint32_t attributes = Fs().Attributes(path);
  if (attributes == kInvalidAttributes) {
    ForgetFinding(path);
    return DisposeResult::Missing;
  }
  // A folder (the target of a lure shortcut holds the user's files) cannot be kept
  // in the quarantine, so it is never deleted.
  if (attributes & kAttrDirectory) return DisposeResult::CopyFailed;
  if (CopyToQuarantine(path) != 0) return DisposeResult::CopyFailed;
  if (!ForceDelete(path)) return DisposeResult::DeleteFailed;
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
