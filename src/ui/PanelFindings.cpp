// The findings page and the status strip during scans: TPanelfrm as the window
// thread's side of a scan run and of the disposal of findings.
#include <optional>
#include <stdexcept>

#include "common/Text.h"
#include "engine/disposal.h"
#include "loc/LangLocStrings.h"
#include "platform/Platform.h"
#include "state/Elevation.h"
#include "state/Notify.h"
#include "state/SharedState.h"
#include "ui/main.h"

namespace dw {

namespace {

// -1: the path is in neither list (already disposed of while its row remains).
int ListedKind(const std::wstring& path) {
  if (State().RiskList.Contains(path)) return Suspicious;
  if (State().ThreatList.Contains(path)) return Threat;
  return -1;
}

// A row that no longer stands for a listed finding gets no type: calling it a
// threat or a suspicious file would be a claim nothing backs any more.
TListRow FindingRow(const std::wstring& path, int kind) {
  std::wstring type, reason;
  if (kind == Threat) type = MsgKindThreat;
  if (kind == Suspicious) type = MsgKindSuspect;
  if (kind != -1) {
    if (std::optional<TFindingWhy> why = State().FindingReasons.Get(kind, path)) reason = ReasonText(*why);
  }
  TListRow row{FileNamePart(path), {type, path, reason}};
  // A sentence is longer than its column is wide at any scale.
  if (!reason.empty()) row.Tip = reason + L"\n" + path;
  return row;
}

bool IsRegistered(const TWorkThread* worker) {
  TWorkThreadList& list = State().WorkThreads;
  for (int i = list.Count() - 1; i >= 0; --i) {
    try {
      if (list.Get(i) == worker) return true;
    } catch (const std::out_of_range&) {
      // Another worker left the list meanwhile.
    }
  }
  return false;
}

bool ConfirmDeletion(const std::wstring& text) {
  return ShowMessageBox(text, MsgWarningTitle, kMbYesNoCancel) == kIdYes;
}

// The question names what goes: the file, or how many suspicious files.
bool ConfirmSuspectsDeletion(const std::vector<std::wstring>& paths) {
  if (paths.size() == 1) return ConfirmDeletion(FormatText(MsgConfirmDeleteFile, {paths[0]}));
  return ConfirmDeletion(FormatText(MsgConfirmDeleteSuspects, {static_cast<int64_t>(paths.size())}));
}

// The worker that deletes every suspicious file the user agreed to (files that a
// scan lists while the question waits were not named in it); null when he did not.
TSecureThread* SuspectsDeletion(IDisposalView* view) {
  std::vector<std::wstring> paths = State().RiskList.Snapshot();
  if (!paths.empty() && !ConfirmSuspectsDeletion(paths)) return nullptr;
  auto* worker = new TRisksSecure(2, L"", view);
  worker->FPaths = std::move(paths);
  return worker;
}

}  // namespace

void TPanelfrm::BindFindings() {
  Bind(L"scanBt", &TComponent::OnClick, &TPanelfrm::scanbtClick);
  Bind(L"stopscanbt", &TComponent::OnClick, &TPanelfrm::stopscanbtClick);
  Component(L"progresstimer").OnTimer = [this](TComponent&) { ShowScanProgress(); };
  Component(L"stoptimer").OnTimer = [this](TComponent& timer) {
    timer.SetEnabled(false);
    // A stop for good (elevation, exit) set meanwhile is not ours to lift.
    if (FLiftStop) State().StopRequested = false;
    FLiftStop = false;
  };
  Bind(L"tdel", &TComponent::OnClick, &TPanelfrm::tdelClick);
  Bind(L"tdelall", &TComponent::OnClick, &TPanelfrm::tdelallClick);
  Bind(L"TabSheet4", &TComponent::OnShow, &TPanelfrm::TabSheet4Show);
  Bind(L"btquarantineDel", &TComponent::OnClick, &TPanelfrm::btquarantineDelClick);
  Bind(L"btquarantineRestore", &TComponent::OnClick, &TPanelfrm::btquarantineRestoreClick);
  Bind(L"RestoreOrigin_m", &TComponent::OnClick, &TPanelfrm::RestoreOrigin_mClick);
  Bind(L"RestoreFolder_m", &TComponent::OnClick, &TPanelfrm::RestoreFolder_mClick);
  Bind(L"btquarantineErase", &TComponent::OnClick, &TPanelfrm::btquarantineEraseClick);
  Bind(L"ListView4", &TComponent::OnChange, &TPanelfrm::ListView4Change);
  UpdateQuarantineButtons();
  Component(L"ListView1").OnCustomDraw = [this](TComponent& sender, int row) {
    return ListView1CustomDrawItem(sender, row);
  };
}

void TPanelfrm::ScanStarted(TScanThread& scan) {
  ++FScansRunning;
  if (scan.FdiskInfo) FScansPending.erase(ToLower(scan.FdiskInfo->root));
  if (scan.FSilenceMode) return;
  FShownScan = &scan;
  FStopping = false;
  Component(L"progresstimer").SetEnabled(true);
  Component(L"scanBt").SetVisible(false);
  TComponent& stop = Component(L"stopscanbt");
  stop.SetVisible(true);
  stop.SetEnabled(true);
  Component(L"Scan_m").SetEnabled(false);

  std::wstring suffix = scan.Fadvanced ? MsgThoroughSuffix : L"";
  TComponent& status = Component(L"Label13");
  if (scan.FdiskInfo) {
    status.SetCaption(FormatText(MsgScanningDrive, {suffix, scan.FdiskInfo->VolName, scan.FdiskInfo->root}));
  } else {
    status.SetCaption(FormatText(MsgScanning, {suffix}));
  }
  refreshBt();
}

namespace {

std::wstring DriveTitle(const diskinfo& drive) { return FormatText(L"%s (%s)", {drive.VolName, drive.root}); }

}  // namespace

// One notice per drive: what the settings disposed of, what is listed, whether the
// scan could look at everything; or that the drive is clean.
void TPanelfrm::DriveScanDone(TScanThread& scan) {
  const PdiskInfo& drive = scan.FdiskInfo;
  // A repair's scan: the repair tells the user what it did, once it is done.
  if (!drive || scan.FFindings) return;
  TSharedState& state = State();
  std::vector<std::wstring> lines;
  std::wstring disposed = AutoDisposalText(scan.FAutoDisposals);
  if (!disposed.empty()) lines.push_back(disposed);
  bool listed = drive->threat.Count() > 0 || drive->Risk.Count() > 0;
  if (listed) lines.push_back(MsgThreatsDetected);
  // A scan that could not look at everything never says the drive is clean.
  if (scan.FDriveErrors > 0) lines.push_back(MsgScanIncomplete);
  if (!lines.empty()) {
    ShowNotification(DriveTitle(*drive), JoinLines(lines), 1);
    return;
  }
  // Clean drive: said only while nothing is listed anywhere.
  if (state.ThreatList.Count() == 0 && state.RiskList.Count() == 0 && scan.FMenaceCount == 0) {
    ShowNotification(DriveTitle(*drive), MsgNoThreatDetected, 0);
  }
}

void TPanelfrm::ScanError(TScanThread&) {
  // The engine has logged it; the drive's notice tells the user once it is done.
}

void TPanelfrm::ScanFinished(TScanThread& scan) {
  // The worker frees itself right after this step.
  if (CurrentScan == &scan) CurrentScan = nullptr;
  if (FShownScan == &scan) {
    FShownScan = nullptr;
    Component(L"progresstimer").SetEnabled(false);
  }
  if (FScansRunning > 0) --FScansRunning;
  // A stopped drive's own notice never came: what the settings did there is told
  // all the same.
  std::wstring disposed = AutoDisposalText(scan.FAutoDisposals);
  if (!disposed.empty() && scan.FdiskInfo) ShowNotification(DriveTitle(*scan.FdiskInfo), disposed, 1);
  if (scan.FSilenceMode) {
    refreshBt();
    return;
  }
  Component(L"stopscanbt").SetVisible(false);
  Component(L"scanBt").SetVisible(true);
  Component(L"Scan_m").SetEnabled(true);
  // What this run found, not what every run has listed so far.
  Component(L"Label13")
      .SetCaption(FormatText(MsgScanSummary, {int64_t{scan.FoundCount(Threat)}, int64_t{scan.FoundCount(Suspicious)}}));
  if (scan.Terminated()) ShowNotification(MsgInformationTitle, MsgScanStopped, 0);
  refreshBt();
}

void TPanelfrm::FindingAdded(TScanThread& scan) {
  // The engine has already logged the finding.
  AddMissingFindingRows(&scan.sync);
  refreshBt();
  // A repair's findings are its own business: it reports once it is done.
  if (scan.FFindings) return;
  // What was found is shown, whatever page the panel was left on.
  Component(L"PageControl1").SetActivePage(L"TabSheet1");
  if (!Visible()) {
    SetWindowState(TWindowState::Normal);
    Show();
  }
}

void TPanelfrm::FindingDisposed(TScanThread&, DisposeResult) {
  // The engine has told the user and logged it; a disposal may have emptied the lists.
  refreshBt();
}

// Runs take their turn on the window thread in any order, while their entries
// joined FindingsSeen in the order they were found; only the window thread
// removes entries. So the rows are always a prefix of FindingsSeen, and catching
// up on it keeps row i showing entry i.
void TPanelfrm::AddMissingFindingRows(const TScanSync* reported) {
  TComponent& view = Component(L"ListView1");
  std::vector<std::wstring> seen = State().FindingsSeen.Snapshot();
  if (static_cast<size_t>(view.RowCount()) > seen.size()) {
    RefreshFindingsView(0);
    return;
  }
  bool reportedPlaced = reported == nullptr;
  for (size_t i = static_cast<size_t>(view.RowCount()); i < seen.size(); ++i) {
    int kind;
    if (!reportedPlaced && EqualsNoCase(seen[i], reported->CurrMenace)) {
      kind = reported->CurrMenaceType;
      reportedPlaced = true;
    } else {
      kind = ListedKind(seen[i]);
    }
    view.AddRow(FindingRow(seen[i], kind));
  }
}

void TPanelfrm::RefreshFindingsView(int) {
  std::vector<TListRow> rows;
  for (const std::wstring& path : State().FindingsSeen.Snapshot()) rows.push_back(FindingRow(path, ListedKind(path)));
  Component(L"ListView1").SetRows(rows);
}

TColor TPanelfrm::ListView1CustomDrawItem(TComponent&, int row) {
  TThreadStringList& seen = State().FindingsSeen;
  if (row < 0 || row >= seen.Count()) return kClBlack;
  return State().ThreatList.Contains(seen.Strings(row)) ? kClRed : kClBlack;
}

bool TPanelfrm::ProtectionOnOrSaySo() {
  if (State().ProtectionEnabled.load()) return true;
  ShowNotification(MsgInformationTitle, MsgProtectionOffNoScan, 0);
  return false;
}

void TPanelfrm::scanbtClick(TComponent&) {
  if (!ProtectionOnOrSaySo()) return;
  auto* scan = new TScanThread(true, false);
  StartWorker(scan, &State().WorkThreads);
  // The run cannot end before its ScanFinished has run here (the panel is the scan
  // view, or hears its steps), so the reference is safe once the thread was made.
  CurrentScan = IsRegistered(scan) ? scan : nullptr;
}

void TPanelfrm::stopscanbtClick(TComponent&) {
  TSharedState& state = State();
  bool alreadyStopping = state.StopRequested.exchange(true);
  Component(L"stopscanbt").SetEnabled(false);
  FStopping = true;
  Component(L"Label13").SetCaption(MsgStoppingScan);
  if (CurrentScan) CurrentScan->Terminate();
  if (FShownScan) FShownScan->Terminate();
  // The stop is lifted by a timer, not by waiting here: the window thread must
  // paint the stop text and go on serving the runs' hand-overs.
  if (!alreadyStopping) {
    FLiftStop = true;
    Component(L"stoptimer").SetEnabled(true);
  }
}

void TPanelfrm::ShowScanProgress() {
  if (!FShownScan || FStopping) return;
  const wchar_t letter = FShownScan->FScanningLetter.load();
  if (letter == 0) return;
  const std::wstring suffix = FShownScan->Fadvanced ? MsgThoroughSuffix : L"";
  const std::wstring root = ToUpper(std::wstring{letter, L':', L'\\'});
  Component(L"Label13")
      .SetCaption(FormatText(MsgScanProgress, {suffix, root, static_cast<int64_t>(FShownScan->FFoldersWalked.load()),
                                               int64_t{FShownScan->FReportedCount.load()}}));
}

void TPanelfrm::_Scan(TComponent& sender) {
  PdiskInfo drive = State().DriveList.Get(sender.Tag());
  if (!drive || !ProtectionOnOrSaySo()) return;
  Show();
  StartWorker(new TScanThread(true, false, drive), nullptr);
}

// Every row of the path goes: a file listed both as a threat and as a suspicious
// file has two, and once it is gone neither stands for anything that could still
// be disposed of.
void TPanelfrm::RemoveFindingRows(const std::wstring& path) {
  TThreadStringList& seen = State().FindingsSeen;
  for (int index = seen.IndexOf(path); index >= 0; index = seen.IndexOf(path)) {
    Component(L"ListView1").DeleteRow(index);
    seen.Delete(index);
  }
}

void TPanelfrm::FindingDeleted(TSecureThread& worker, DisposeResult result) {
  TSharedState& state = State();
  const std::wstring& path = worker.sync;
  bool threat = worker.FMenacetype == Threat;
  // A batch is told once, with its counts, when it is done; each finding is logged.
  auto notify = [&worker](const std::wstring& title, const std::wstring& msg, int itype) {
    if (worker.FOpID != 2) ShowNotification(title, msg, itype);
  };
  switch (result) {
    case DisposeResult::CopyFailed:
    case DisposeResult::DeleteFailed:
      // Still on the drive: it stays listed, with its row.
      notify(MsgFailureTitle, FormatText(MsgDisposeFailed, {path}), 1);
      LogItem(L"delete/failed", path);
      refreshBt();
      return;
    case DisposeResult::Missing:
      // Not deleted by us: a stick pulled out still holds it, and a file gone is
      // gone by other hands. Either way it leaves the list, said as it is.
      if (FindingDriveGone(path)) {
        notify(MsgWarningTitle, FormatText(MsgFindingDriveGone, {path}), 1);
        LogItem(L"delete/driveGone", path);
      } else {
        notify(MsgInformationTitle, FormatText(MsgFindingGone, {path}), 0);
        LogItem(L"delete/missing", path);
      }
      break;
    case DisposeResult::Done:
      notify(threat ? MsgThreatDeleted : MsgSuspectDeleted, path, 0);
      LogItem(threat ? L"delete/threat" : L"delete/riskFile", path);
      break;
  }
  RemoveFindingRows(path);
  (threat ? state.ThreatList : state.RiskList).Remove(path);
  for (const PdiskInfo& drive : state.DriveList.Snapshot()) {
    drive->threat.Remove(path);
    drive->Risk.Remove(path);
  }
  refreshBt();
}

void TPanelfrm::DeleteAllStarted(TSecureThread&) {
  Component(L"tdelall").SetEnabled(false);
  Component(L"tdel").SetEnabled(false);
}

void TPanelfrm::DeleteAllFinished(TSecureThread& worker) {
  TDeleteTally& tally = FDeleteTally[worker.FMenacetype == Threat ? Threat : Suspicious];
  tally.handled = true;
  tally.deleted += worker.FDeleted;
  tally.notDeleted += worker.FNotDeleted;
  if (FDeleteAllWorkers > 0) --FDeleteAllWorkers;
  if (FDeleteAllWorkers == 0) TellDeleteAllResult();
  RefreshFindingsView(0);
  TComponent& del = Component(L"tdel");
  del.SetEnabled(true);
  Component(L"tdelall").SetEnabled(del.Enabled());
  refreshBt();
  Component(L"Label13").SetCaption(MsgProtectionActive);
}

// "All deleted" is said only when it is true; otherwise the counts of each kind.
void TPanelfrm::TellDeleteAllResult() {
  struct Texts {
    const std::wstring& all;
    const std::wstring& counts;
  };
  const Texts texts[2] = {{MsgAllThreatsDeleted, MsgThreatsDeletedCount},
                          {MsgAllSuspectsDeleted, MsgSuspectsDeletedCount}};
  std::vector<std::wstring> lines;
  bool complete = true;
  for (int kind : {Threat, Suspicious}) {
    const TDeleteTally& tally = FDeleteTally[kind];
    if (!tally.handled) continue;
    complete = complete && tally.notDeleted == 0;
    lines.push_back(tally.notDeleted == 0
                        ? texts[kind].all
                        : FormatText(texts[kind].counts, {int64_t{tally.deleted}, int64_t{tally.notDeleted}}));
  }
  FDeleteTally[Threat] = FDeleteTally[Suspicious] = {};
  if (lines.empty()) return;
  ShowNotification(complete ? MsgSuccessTitle : MsgWarningTitle, JoinLines(lines), complete ? 0 : 1);
}

void TPanelfrm::StartDeleteAll(TSecureThread* worker) {
  if (!worker) return;
  ++FDeleteAllWorkers;
  StartWorker(worker, &State().WorkThreads);
}

void TPanelfrm::tdelClick(TComponent&) {
  TSharedState& state = State();
  int row = Component(L"ListView1").SelectedRow();
  if (row < 0 || row >= state.FindingsSeen.Count()) return;
  std::wstring path = state.FindingsSeen.Strings(row);
  if (state.ThreatList.Contains(path)) {
    StartWorker(new TthreatsSecure(1, path, this), &state.WorkThreads);
    return;
  }
  if (state.RiskList.Contains(path) && ConfirmDeletion(FormatText(MsgConfirmDeleteFile, {path}))) {
    StartWorker(new TRisksSecure(1, path, this), &state.WorkThreads);
  }
}

void TPanelfrm::tdelallClick(TComponent&) {
  TSharedState& state = State();
  switch (Component(L"method_sel").ItemIndex()) {
    case 0: StartDeleteAll(new TthreatsSecure(2, L"", this)); return;
    case 1: StartDeleteAll(SuspectsDeletion(this)); return;
    case 2:
      // Both are counted before either can finish (that is told on this thread,
      // after this handler): the user gets one notice for the two.
      if (state.RiskList.Count() > 0) StartDeleteAll(SuspectsDeletion(this));
      StartDeleteAll(new TthreatsSecure(2, L"", this));
      return;
    default: return;
  }
}

intptr_t TPanelfrm::WMDeviceChange(uintptr_t wParam, const DeviceBroadcast& header) {
  TDeviceChangeHooks hooks;
  // A drive that left takes its findings off the list.
  hooks.Refresh = [this] {
    RefreshFindingsView(0);
    refreshBt();
  };
  return HandleDeviceChange(wParam, header, hooks);
}

}  // namespace dw
