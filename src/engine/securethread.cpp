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
  DisposeResult result = DeleteFinding(path);
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
