// The quarantine page's work: listing, erasing and restoring stored files on a
// worker that hands each visible step to the window thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/quarantine.h"
#include "state/workthreads.h"

namespace dw {

class TquarantineThread;

enum QuarantineOperation { EraseEntry = 1, EraseAll = 2, ListEntries = 3, RestoreEntry = 4, RestoreToOrigin = 5 };

// The stored file being listed.
struct TQuarantineSync {
  std::wstring currFileName;  // the stored name, such as run.exe(0).quarantine
  std::wstring currFilePath;  // QuarantineFolder + currFileName
  std::wstring displayName;
  std::wstring sourcePath;
  uint64_t size = 0;
  std::wstring storedDate;  // when it was stored, as the user writes dates; may be empty
};

// The window-thread side (the control panel's quarantine page). Every call runs
// on the window thread.
class IQuarantineView {
 public:
  virtual ~IQuarantineView() = default;
  virtual void QuarantineListCleared(TquarantineThread& worker) = 0;
  virtual void QuarantineRowAdded(TquarantineThread& worker) = 0;
  virtual void QuarantineSizeShown(TquarantineThread& worker) = 0;
  virtual void QuarantineEmptiedShown(TquarantineThread& worker, bool emptied) = 0;
  virtual void QuarantineEntryErased(TquarantineThread& worker, bool erased) = 0;
  virtual void QuarantineRestoredShown(TquarantineThread& worker, RestoreResult result) = 0;
};

class TquarantineThread : public TWorkThread {
 public:
  // opId: a QuarantineOperation; arg1 the stored name (erase, restore), arg2 the
  // destination folder ending with "\" (restore), or the root of the drive the
  // file came from (restore to its origin).
  TquarantineThread(int opId, std::wstring arg1, std::wstring arg2, IQuarantineView* view);

  int FopId;
  TQuarantineSync sync;
  std::wstring Farg1;
  std::wstring Farg2;
  int64_t FqfolderSize = 0;  // bytes listed so far
  int FListed = 0;           // stored files listed so far
  // Restores: the path the file was, or would have been, restored to.
  std::wstring FRestoredTo;
  // EraseAll: the stored files the user agreed to erase.
  std::vector<std::wstring> FNames;

 protected:
  void Execute() override;

 private:
  void ListQuarantine();
  template <typename... Args>
  void HandOver(void (IQuarantineView::*step)(TquarantineThread&, Args...), Args... args);

  IQuarantineView* FView;
};

}  // namespace dw
