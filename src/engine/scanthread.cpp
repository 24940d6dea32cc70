#include "engine/scanthread.h"

#include "common/Text.h"
#include "engine/disposal.h"
#include "engine/drivepath.h"
#include "engine/rules.h"
#include "engine/traces/TraceRule.h"
#include "loc/LangLocStrings.h"
#include "platform/Caught.h"
#include "platform/ComApartment.h"
#include "platform/Platform.h"
#include "platform/usbdeviceUtils.h"
#include "state/Notify.h"

namespace dw {

namespace {

std::atomic<IScanView*> currentView{nullptr};

// Adds s unless an equal item is there, as one step under the list's lock.
bool AddOnce(TThreadStringList& list, const std::wstring& s) {
  bool added = false;
  list.Locked([&](std::vector<std::wstring>& items) {
    for (const std::wstring& item : items) {
      if (EqualsNoCase(item, s)) return;
    }
    items.push_back(s);
    added = true;
  });
  return added;
}

}  // namespace

bool AddToLists(const std::wstring& path, FindingKind kind, const PdiskInfo& drive, const TFindingWhy& why) {
  TSharedState& state = State();
  // The look-up and the addition are one step, so two runs reporting the same path
  // at the same moment give one row.
  // The reason is in place before the row shows; a row listed already keeps the
  // reason it was listed for.
  state.FindingReasons.SetIfAbsent(kind, path, why);
  if (!AddOnce(kind == Threat ? state.ThreatList : state.RiskList, path)) return false;
  state.FindingReasons.Set(kind, path, why);
  state.FindingsSeen.Add(path);
  AddOnce(kind == Threat ? drive->threat : drive->Risk, path);
  return true;
}

namespace {

void ListFinding(TScanThread& scan, const std::wstring& path, FindingKind kind, const PdiskInfo& drive,
                 const TFindingWhy& why) {
  if (!AddToLists(path, kind, drive, why)) return;
  scan.RunOnWindowThread([&] {
    LogItem(kind == Threat ? L"Menace/threat" : L"Menace/riskFile", path);
    if (IScanView* view = ScanView()) view->FindingAdded(scan);
  });
}

// What was listed for the drive before this scan, that it did not report, and
// whose file is gone: removed outside the program. A file still there stays
// listed even when this scan did not report it: an autorun file set aside at the
// arrival is no autorun file to a second scan, nor its program an autorun target,
// and both are still on the stick.
void DropUnreported(TScanThread& scan, const PdiskInfo& drive) {
  auto stale = [&](int kind, const std::wstring& path) {
    if (!EqualsNoCase(DriveRootOf(path), drive->root)) return false;
    if (scan.FDriveFindings.count({kind, ToLower(path)})) return false;
    return ResolveOnDrive(path, drive->root).place == EntryPlace::Missing;
  };
  std::vector<std::pair<int, std::wstring>> dropped;
  for (int kind : {Threat, Suspicious}) {
    for (const std::wstring& path : (kind == Threat ? State().ThreatList : State().RiskList).Snapshot()) {
      if (stale(kind, path)) dropped.emplace_back(kind, path);
    }
  }
  if (dropped.empty()) return;
  // Only the window thread takes entries out of FindingsSeen.
  scan.RunOnWindowThread([&] {
    TSharedState& state = State();
    for (const auto& [kind, path] : dropped) {
      if (!(kind == Threat ? state.ThreatList : state.RiskList).Remove(path)) continue;
      (kind == Threat ? drive->threat : drive->Risk).Remove(path);
      // One entry per kind: a file listed as both keeps the other's.
      state.FindingsSeen.Remove(path);
      LogItem(kind == Threat ? L"Menace/threatNoMore" : L"Menace/riskFileNoMore", path);
    }
    if (IScanView* view = ScanView()) view->RefreshFindingsView(0);
  });
}

}  // namespace

ScanErrorKind ReadErrorKind(uint32_t error) {
  return error == kErrorBadFileType ? ScanErrorKind::NotRegularFile : ScanErrorKind::Unreadable;
}

ScanErrorKind ShortcutErrorKind(ShellLinkReadError::Reason reason) {
  switch (reason) {
    case ShellLinkReadError::Reason::TooLarge: return ScanErrorKind::TooLarge;
    case ShellLinkReadError::Reason::NotRegularFile: return ScanErrorKind::NotRegularFile;
    case ShellLinkReadError::Reason::Unreadable: break;
  }
  return ScanErrorKind::Unreadable;
}

void SetScanView(IScanView* view) { currentView.store(view); }
IScanView* ScanView() { return currentView.load(); }

TScanThread::TScanThread(bool advanced, bool silenceMode)
    : TWorkThread(work_scan), Fadvanced(advanced), FSilenceMode(silenceMode) {}

TScanThread::TScanThread(bool advanced, bool silenceMode, PdiskInfo diskInfo)
    : TWorkThread(work_scan), Fadvanced(advanced), FSilenceMode(silenceMode), FdiskInfo(std::move(diskInfo)) {}

int TScanThread::FoundCount(FindingKind kind) const {
  int count = 0;
  for (const auto& finding : FRunFindings) count += finding.first == kind ? 1 : 0;
  return count;
}

void TScanThread::HandOver(void (IScanView::*step)(TScanThread&)) {
  Synchronize([&] {
    if (IScanView* view = ScanView()) (view->*step)(*this);
  });
}

void TScanThread::Execute() {
  ComApartment com;
  HandOver(&IScanView::ScanStarted);
  if (FdiskInfo) {
    ScanDrive(*this, FdiskInfo, Fadvanced);
  } else {
    for (int i = 0; i < State().DriveList.Count(); ++i) {
      PdiskInfo drive = State().DriveList.Get(i);
      if (!drive) break;
      FdiskInfo = drive;
      ScanDrive(*this, drive, Fadvanced);
      if (Terminated()) break;
    }
  }
  HandOver(&IScanView::ScanFinished);
}

int ScanDrive(TScanThread& scan, const PdiskInfo& drive, bool thorough) {
  if (drive->FileSysName.empty()) return 0;
  bool ready = IsDriveReady(drive->root);
  for (int retry = 0; !ready && retry < 5; ++retry) {
    Sys().Sleep(500);
    ready = IsDriveReady(drive->root);
  }
  if (!ready) return 0;
  if (State().ExcludedDrives.Contains(drive->root) || !State().ProtectionEnabled.load()) return 0;

  // The start and the end frame the drive's findings in the log; an end without a
  // word of trouble between them is a drive looked at whole.
  LogItem(L"scan/start", drive->root);
  int count = 0;
  scan.FScanningLetter = drive->root[0];
  scan.FDriveFindings.clear();
  scan.FDriveErrors = 0;
  scan.FAutoDisposals = {};
  scan.FErrorPaths.clear();
  scan.FCutShort = false;
  try {
    count = CheckAutorunFiles(scan, drive);
    TTraceRun traces(scan, drive, thorough);
    count += WalkFolders(
        scan, drive->root, drive, thorough,
        [&](const std::wstring& folder, const std::vector<FindData>& entries) { traces.Inspect(folder, entries); });
    count += traces.Count();
    // The last listing may have been cut short without anything failing after it.
    if (!scan.FCutShort && !scan.Terminated() && Fs().Attributes(drive->root) == kInvalidAttributes) {
      ReportScanError(scan, drive->root, ScanErrorKind::DriveGone);
    }
  } catch (...) {
    // A failure inside the rules ends this drive; the run still closes in order,
    // and the drive is not called clean.
    RecordCaught("drive scan");
    ReportScanError(scan, drive->root, ScanErrorKind::Failed);
  }
  scan.FMenaceCount = count;
  if (!scan.FCutShort && !scan.Terminated() && scan.FDriveErrors == 0) DropUnreported(scan, drive);
  LogItem(scan.Terminated() ? L"scan/stopped" : L"scan/end", drive->root);
  if (!scan.Terminated()) {
    scan.HandOver(&IScanView::DriveScanDone);
    // Told with the drive; what a stop cuts short is told with the run's end.
    scan.FAutoDisposals = {};
  }
  return count;
}

void ReportFinding(TScanThread& scan, const std::wstring& path, FindingKind kind, const PdiskInfo& drive,
                   const TFindingWhy& why) {
  TSharedState& state = State();
  int action = kind == Threat ? state.ThreatAction.load() : state.RiskAction.load();
  // A dry run changes nothing on the drive, whatever the settings say.
  if (scan.FFindings || scan.FDryRun) action = Ask;
  scan.sync = {path, kind, action, why};
  if (scan.FRunFindings.emplace(kind, ToLower(path)).second) ++scan.FReportedCount;
  scan.FDriveFindings.emplace(kind, ToLower(path));
  if (scan.FFindings) scan.FFindings->push_back(scan.sync);
  switch (action) {
    case Ask: ListFinding(scan, path, kind, drive, why); return;
    case Delete:
    case Quarantine: {
      DisposeResult result = action == Delete ? DeleteFinding(path) : QuarantineFinding(path);
      AutoActionNotice(scan, result);
      // A finding that is still on the drive stays in front of the user.
      if (result == DisposeResult::CopyFailed || result == DisposeResult::DeleteFailed) {
        ListFinding(scan, path, kind, drive, why);
      }
      return;
    }
    default: return;
  }
}

void AutoActionNotice(TScanThread& scan, DisposeResult result) {
  const std::wstring& path = scan.sync.CurrMenace;
  bool deleting = scan.sync.action == Delete;
  TAutoDisposals& told = scan.FAutoDisposals;
  if (result == DisposeResult::Missing) {
    // Gone already (another run, or an earlier finding of this one, took it): there
    // is nothing to tell, and no failure.
  } else if (result == DisposeResult::Done) {
    if (told.quarantined + told.deleted == 0) told.firstDone = scan.sync;
    ++(deleting ? told.deleted : told.quarantined);
    LogItem(deleting ? L"delete/AutoAction" : L"quarantine/AutoAction", path);
  } else {
    if (told.failed++ == 0) told.firstFailed = path;
    LogItem(deleting ? L"delete/failed" : L"quarantine/failed", path);
  }
  scan.RunOnWindowThread([&] {
    if (IScanView* view = ScanView()) view->FindingDisposed(scan, result);
  });
}

std::wstring AutoDisposalText(const TAutoDisposals& d) {
  std::vector<std::wstring> lines;
  if (d.quarantined + d.deleted == 1) {
    // One file: which, and what it did, so that the user can tell a worm from a
    // false alarm.
    const TScanSync& one = d.firstDone;
    if (d.deleted == 1) {
      lines.push_back(one.CurrMenaceType == Threat ? MsgThreatDeleted : MsgSuspectDeleted);
      lines.push_back(one.CurrMenace);
    } else {
      lines.push_back(FormatText(MsgFileQuarantined, {one.CurrMenace}));
    }
    std::wstring reason = ReasonText(one.why);
    if (!reason.empty()) lines.push_back(reason);
  } else {
    if (d.quarantined > 0) lines.push_back(FormatText(MsgAutoQuarantinedCount, {int64_t{d.quarantined}}));
    if (d.deleted > 0) lines.push_back(FormatText(MsgAutoDeletedCount, {int64_t{d.deleted}}));
  }
  if (d.failed == 1) lines.push_back(FormatText(MsgDisposeFailed, {d.firstFailed}));
  if (d.failed > 1) lines.push_back(FormatText(MsgAutoFailedCount, {int64_t{d.failed}}));
  return JoinLines(lines);
}

void ReportScanError(TScanThread& scan, const std::wstring& path, ScanErrorKind kind) {
  if (!scan.FErrorPaths.insert(path).second) return;
  ++scan.FDriveErrors;
  scan.FError = {path, kind};
  scan.RunOnWindowThread([&] {
    LogItem(L"scan/incomplete", path);
    if (IScanView* view = ScanView()) view->ScanError(scan);
  });
}

}  // namespace dw
