// Disposal at the user's command: a worker that deletes one listed finding, or
// every finding of one kind, and hands each result to the window thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/scanthread.h"

namespace dw {

class TSecureThread;

// The window-thread side of a disposal (the control panel). Every call runs on
// the window thread.
class IDisposalView {
 public:
  virtual ~IDisposalView() = default;
  // The finding in sync was handled; result says whether it left the drive.
  virtual void FindingDeleted(TSecureThread& worker, DisposeResult result) = 0;
  virtual void DeleteAllStarted(TSecureThread& worker) = 0;
  virtual void DeleteAllFinished(TSecureThread& worker) = 0;
};

class TSecureThread : public TWorkThread {
 public:
  // m_type: the FindingKind handled. opId 1: the finding arg; opId 2: every
  // finding of the kind (arg unused).
  TSecureThread(int m_type, int opId, std::wstring arg, IDisposalView* view);

  int FOpID;
  std::wstring Farg;
  int FMenacetype;
  std::wstring sync;  // the finding handed to FindingDeleted
  // Operation 2: the findings the user agreed to, when asked; otherwise those of
  // the kind's list as the worker starts. Only those still listed are handled.
  std::optional<std::vector<std::wstring>> FPaths;
  // Findings of this run that left the drive, and those that did not (still
  // there, or already gone), each told to the user in FindingDeleted.
  int FDeleted = 0;
  int FNotDeleted = 0;

 protected:
  void Execute() override;

 private:
  void DisposeOf(const std::wstring& path);
  void HandOver(void (IDisposalView::*step)(TSecureThread&));

  IDisposalView* FView;
};

class TthreatsSecure : public TSecureThread {
 public:
  TthreatsSecure(int opId, std::wstring arg, IDisposalView* view) : TSecureThread(Threat, opId, std::move(arg), view) {}
};

class TRisksSecure : public TSecureThread {
 public:
  TRisksSecure(int opId, std::wstring arg, IDisposalView* view)
      : TSecureThread(Suspicious, opId, std::move(arg), view) {}
};

}  // namespace dw
