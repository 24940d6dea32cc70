// The control panel, TPanelfrm: the window's components built from one layout
// table, and the handlers that keep them in step with the shared state. The
// handlers change the model only; ui/win32 renders it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "devices/DeviceChange.h"
#include "engine/quarantinethread.h"
#include "engine/scanthread.h"
#include "engine/securethread.h"
#include "forms/forms.h"

namespace dw {

// The images of ImageList1, shown by the tray icon and as the window icon.
constexpr int kImageProtected = 0;
constexpr int kImageUnprotected = 1;
constexpr int kImageFindings = 2;

// Every component of the control panel, in creation order.
std::span<const TLayoutRow> PanelLayout();

class TPanelfrm : public TForm, public IScanView, public IDisposalView, public IQuarantineView {
 public:
  TPanelfrm();

  // Reads languageId from the settings file (section "app", default 0) for the
  // options page; bound by start-up. While it is empty the language box keeps
  // its selection.
  std::function<int()> LanguageSetting;

  // Brings the Tools drive list, the state band, the headline, the status line,
  // the tray icon and the window icon up to date.
  void refreshBt();
  void DisableProtection();
  void EnableProtection();

  void cprotectionControlClick(TComponent& sender);
  void PopupMenu1Popup(TComponent& sender);
  void Afficher1Click(TComponent& sender);
  void TabSheet3Show(TComponent& sender);
  // ListView5: the drives, each checked when it is excluded.
  void RefillExclusionList();
  void TabSheet5Show(TComponent& sender);
  void TabSheet6Show(TComponent& sender);
  // The log page: read when shown, newest entry first.
  void TabSheet7Show(TComponent& sender);
  void btlogOpenClick(TComponent& sender);
  void a_menaceClick(TComponent& sender);
  void a_riskClick(TComponent& sender);
  void antiviruscmd_txtChange(TComponent& sender);

  // The drive entries of the tray menu; sender's Tag is the drive's position in
  // DriveList. Their work belongs to the repair tools, the scan and the antivirus
  // command, which fill these in.
  void _repairDrive(TComponent& sender);
  void _resetFolderAttribute(TComponent& sender);
  void resetfile_mClick(TComponent& sender);
  void _safeopen(TComponent& sender);
  void _Scan(TComponent& sender);
  void _antivirusScan(TComponent& sender);

  // Reads the policies again and puts them in force, switching the protection
  // (with its notice) when a policy now wants it otherwise; then shows them.
  void RefreshPolicies();
  // Greys out the settings a policy holds and gives them the organisation's hint.
  void ShowHeldSettings();

  // Repair tools, drive exclusion, and the options and about pages.
  // Writes languageId into the settings file at once; bound by start-up.
  std::function<void(int)> WriteLanguageSetting;
  void BindTools();
  void btToolChangeAttributeClick(TComponent& sender);
  void RepairDrive_mClick(TComponent& sender);
  void ChangeFoldersAttr_mClick(TComponent& sender);
  void ChangeFilesAttr_mClick(TComponent& sender);
  void btToolProtectionFolderClick(TComponent& sender);
  void safeopenbtClick(TComponent& sender);
  void ListView3DblClick(TComponent& sender);
  // The root of the drive selected in ListView3 (upper case), empty when none is.
  std::wstring SelectedToolDrive() const;
  // Greys out the tools page's commands while no drive is picked.
  void UpdateToolButtons();
  void ListView3Change(TComponent& sender);
  // Starts a repair tool on root; registered tools join WorkThreads.
  void StartTool(int toolId, const std::wstring& root, bool registered);
  // Asks, then repairs drive on a worker; one repair a drive at a time.
  void StartRepair(const PdiskInfo& drive);
  // The button (tag -1) opens PopupMenu2 with the drives; its items (tag = the
  // drive's position in DriveList) ask, then exclude.
  void btexcludeDiskClick(TComponent& sender);
  void ListView5Click(TComponent& sender);
  void langChange(TComponent& sender);
  void cwebsiteClick(TComponent& sender);
  void btupdateCheckClick(TComponent& sender);
  // Starts update.exe with the language setting of this moment (mode 1 at start-up).
  void UpdateSoftware(int mode);

 private:
  void Bind(const wchar_t* component, TNotifyEvent TComponent::*event, void (TPanelfrm::*handler)(TComponent&));
  TNotifyEvent Handler(void (TPanelfrm::*handler)(TComponent&));

  // Findings: the window-thread side of scans, disposal at the user's command,
  // the quarantine page and the arrival and removal of volumes.
 public:
  void ScanStarted(TScanThread& scan) override;
  void DriveScanDone(TScanThread& scan) override;
  void ScanError(TScanThread& scan) override;
  void ScanFinished(TScanThread& scan) override;
  void FindingAdded(TScanThread& scan) override;
  void FindingDisposed(TScanThread& scan, DisposeResult result) override;
  void RefreshFindingsView(int mode) override;
  TColor ListView1CustomDrawItem(TComponent& sender, int row);
  void scanbtClick(TComponent& sender);
  void stopscanbtClick(TComponent& sender);

  void FindingDeleted(TSecureThread& worker, DisposeResult result) override;
  void DeleteAllStarted(TSecureThread& worker) override;
  void DeleteAllFinished(TSecureThread& worker) override;
  void tdelClick(TComponent& sender);
  void tdelallClick(TComponent& sender);

  void QuarantineListCleared(TquarantineThread& worker) override;
  void QuarantineRowAdded(TquarantineThread& worker) override;
  void QuarantineSizeShown(TquarantineThread& worker) override;
  void QuarantineEmptiedShown(TquarantineThread& worker, bool emptied) override;
  void QuarantineEntryErased(TquarantineThread& worker, bool erased) override;
  void QuarantineRestoredShown(TquarantineThread& worker, RestoreResult result) override;
  void TabSheet4Show(TComponent& sender);
  void btquarantineDelClick(TComponent& sender);
  void btquarantineRestoreClick(TComponent& sender);
  void RestoreOrigin_mClick(TComponent& sender);
  void RestoreFolder_mClick(TComponent& sender);
  void btquarantineEraseClick(TComponent& sender);
  void ListView4Change(TComponent& sender);

  // WM_DEVICECHANGE with the header its lParam points to (ReadDeviceBroadcast);
  // the result is always 0.
  intptr_t WMDeviceChange(uintptr_t wParam, const DeviceBroadcast& header);

  // The all-drives run of the Scanner button while it runs; window thread only,
  // cleared by that run's ScanFinished before the worker frees itself.
  TScanThread* CurrentScan = nullptr;

 private:
  void BindFindings();
  // Brings ListView1 up to FindingsSeen: rows are added for entries that have
  // none yet; reported, when given, is the finding being added.
  void AddMissingFindingRows(const TScanSync* reported);
  void RemoveFindingRows(const std::wstring& path);
  std::wstring SelectedStoredName();
  void UpdateQuarantineButtons();
  // The stored name of each row of ListView4: the display name is shortened and
  // cannot be turned back into it.
  std::vector<std::wstring> FQuarantineNames;
  // The attached drive whose root the selected row's source path is on; empty
  // when there is none.
  std::wstring SelectedSourceRoot();
  // The roots being repaired (window thread only).
  std::set<std::wstring> FRepairing;
  // Scans between their ScanStarted and ScanFinished, and the drives whose scan
  // was started by switching the protection on but has not begun (lower-case
  // roots); window thread only.
  int FScansRunning = 0;
  // The scan whose progress the status line shows, until its ScanFinished; and
  // whether the user has asked it to stop (the stop text then stays).
  TScanThread* FShownScan = nullptr;
  bool FStopping = false;
  bool FLiftStop = false;
  void ShowScanProgress();
  std::set<std::wstring> FScansPending;
  // The "Supprimer tout" workers not yet finished, and what they did by kind: the
  // user gets one notice once the last has finished (window thread only).
  struct TDeleteTally {
    bool handled = false;
    int deleted = 0;
    int notDeleted = 0;
  };
  int FDeleteAllWorkers = 0;
  TDeleteTally FDeleteTally[2];  // by FindingKind
  void StartDeleteAll(TSecureThread* worker);
  void TellDeleteAllResult();
  // Says why nothing happens when the protection is off; true when it is on.
  bool ProtectionOnOrSaySo();
  void MarkHeld(TComponent& control, bool held);
  // The hints of the controls a policy holds, as they were before (by name).
  std::map<std::wstring, std::wstring> FOwnHints;
};

}  // namespace dw
