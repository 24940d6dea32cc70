#include "engine/securethread.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "common/Text.h"
#include "engine/disposal.h"

namespace dw {

namespace {

// The paths being disposed of at this moment. Two workers may hold the same path
// (delete-all of threats and of suspicious files at once, for a file listed as
// both): the second waits for the first, then finds the file gone instead of
// copying it again or reporting a deletion that was not its own.
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

DisposeResult DeleteClaimed(const std::wstring& path) {
  Claims().Claim(path);
  DisposeResult result;
  try {
    result = DeleteFinding(path);
  } catch (...) {
    Claims().Release(path);
    throw;
  }
  Claims().Release(path);
  return result;
}

}  // namespace

TSecureThread::TSecureThread(int m_type, int opId, std::wstring arg, IDisposalView* view)
    : TWorkThread(work_quarantine), FOpID(opId), Farg(std::move(arg)), FMenacetype(m_type), FView(view) {}

void TSecureThread::HandOver(void (IDisposalView::*step)(TSecureThread&)) {
  Synchronize([&] {
    if (FView) (FView->*step)(*this);
  });
}

void TSecureThread::DisposeOf(const std::wstring& path) {
  DisposeResult result = DeleteClaimed(path);
  if (result == DisposeResult::CopyFailed || result == DisposeResult::DeleteFailed) ++FFailures;
  sync = path;
  Synchronize([&] {
    if (FView) FView->FindingDeleted(*this, result);
  });
}

void TSecureThread::Execute() {
  if (FOpID == 1) {
    DisposeOf(Farg);
    return;
  }
  if (FOpID != 2) return;

  HandOver(&IDisposalView::DeleteAllStarted);
  // One pass over the list as it stands: a finding that cannot be disposed of
  // stays listed, so waiting for the list to empty could never end.
  TThreadStringList& list = FMenacetype == Threat ? State().ThreatList : State().RiskList;
  for (const std::wstring& path : list.Snapshot()) {
    DisposeOf(path);
    if (Terminated()) break;
  }
  HandOver(&IDisposalView::DeleteAllFinished);
}

}  // namespace dw
