#include "engine/securethread.h"

#include "engine/disposal.h"

namespace dw {

TSecureThread::TSecureThread(int m_type, int opId, std::wstring arg, IDisposalView* view)
    : TWorkThread(work_quarantine), FOpID(opId), Farg(std::move(arg)), FMenacetype(m_type), FView(view) {}

void TSecureThread::HandOver(void (IDisposalView::*step)(TSecureThread&)) {
  Synchronize([&] {
    if (FView) (FView->*step)(*this);
  });
}

void TSecureThread::DisposeOf(const std::wstring& path) {
  // Two workers may hold the same path (delete-all of threats and of suspicious
  // files at once, for a file listed as both): the second finds it no longer
  // listed, and the first has told the user.
  std::optional<DisposeResult> disposed = DeleteListedFinding(path);
  if (!disposed) return;
  DisposeResult result = *disposed;
  ++(result == DisposeResult::Done ? FDeleted : FNotDeleted);
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
  for (const std::wstring& path : FPaths ? *FPaths : list.Snapshot()) {
    DisposeOf(path);
    if (Terminated()) break;
  }
  HandOver(&IDisposalView::DeleteAllFinished);
}

}  // namespace dw
