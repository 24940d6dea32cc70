#include "engine/quarantinethread.h"

#include "engine/quarantine.h"
#include "platform/Platform.h"
#include "state/SharedState.h"

namespace dw {

TquarantineThread::TquarantineThread(int opId, std::wstring arg1, std::wstring arg2, IQuarantineView* view)
    : TWorkThread(work_quarantine), FopId(opId), Farg1(std::move(arg1)), Farg2(std::move(arg2)), FView(view) {}

template <typename... Args>
void TquarantineThread::HandOver(void (IQuarantineView::*step)(TquarantineThread&, Args...), Args... args) {
  Synchronize([&] {
    if (FView) (FView->*step)(*this, args...);
  });
}

void TquarantineThread::ListQuarantine() {
  FqfolderSize = 0;
  FListed = 0;
  HandOver(&IQuarantineView::QuarantineListCleared);
  bool stopped = false;
  ListQuarantineEntries([&](const QuarantineEntry& entry) {
    sync = {entry.storedName,  QuarantineFolder() + entry.storedName,
            entry.displayName, entry.sourcePath,
            entry.size,        entry.storedTime ? Sys().DateTimeText(*entry.storedTime) : L""};
    FqfolderSize += static_cast<int64_t>(entry.size);
    ++FListed;
    HandOver(&IQuarantineView::QuarantineRowAdded);
    // A stop leaves the total line as it was; a termination still shows it.
    if (State().StopRequested.load()) {
      stopped = true;
      return false;
    }
    return !Terminated();
  });
  if (!stopped) HandOver(&IQuarantineView::QuarantineSizeShown);
}

void TquarantineThread::Execute() {
  switch (FopId) {
    case EraseEntry:
      HandOver(&IQuarantineView::QuarantineEntryErased, EraseQuarantineEntry(Farg1));
      ListQuarantine();
      return;
    case EraseAll: {
      // The store may hold the only copy of a user's file: each one erased is logged.
      bool emptied = EraseQuarantineEntries(FNames, [](const std::wstring& name, bool erased) {
        LogItem(erased ? L"quarantineErase" : L"quarantineErase/failed", name);
      });
      HandOver(&IQuarantineView::QuarantineEmptiedShown, emptied);
      // What is left, and its size: what could not be erased, or was stored since.
      ListQuarantine();
      return;
    }
    case ListEntries: ListQuarantine(); return;
    case RestoreEntry:
      HandOver(&IQuarantineView::QuarantineRestoredShown, RestoreQuarantineEntry(Farg1, Farg2, &FRestoredTo));
      return;
    case RestoreToOrigin:
      HandOver(&IQuarantineView::QuarantineRestoredShown, RestoreQuarantineEntryToOrigin(Farg1, Farg2, &FRestoredTo));
      return;
    default: return;
  }
}

}  // namespace dw
