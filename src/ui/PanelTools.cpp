// The control panel's repair-tool commands: the tools page and the tray menu's
// drive entries.
#include "common/Text.h"
#include "engine/repair.h"
#include "engine/tools.h"
#include "loc/LangLocStrings.h"
#include "state/Elevation.h"
#include "state/Notify.h"
#include "state/SharedState.h"
#include "ui/DriveEntry.h"
#include "ui/main.h"

namespace dw {

void TPanelfrm::BindTools() {
  Bind(L"btToolChangeAttribute", &TComponent::OnClick, &TPanelfrm::btToolChangeAttributeClick);
  Bind(L"RepairDrive_m", &TComponent::OnClick, &TPanelfrm::RepairDrive_mClick);
  Bind(L"ChangeFoldersAttr_m", &TComponent::OnClick, &TPanelfrm::ChangeFoldersAttr_mClick);
  Bind(L"ChangeFilesAttr_m", &TComponent::OnClick, &TPanelfrm::ChangeFilesAttr_mClick);
  Bind(L"btToolProtectionFolder", &TComponent::OnClick, &TPanelfrm::btToolProtectionFolderClick);
  Bind(L"safeopenbt", &TComponent::OnClick, &TPanelfrm::safeopenbtClick);
  Bind(L"ListView3", &TComponent::OnDblClick, &TPanelfrm::ListView3DblClick);
  Bind(L"btexcludeDisk", &TComponent::OnClick, &TPanelfrm::btexcludeDiskClick);
  Bind(L"ListView5", &TComponent::OnClick, &TPanelfrm::ListView5Click);
  Bind(L"lang", &TComponent::OnChange, &TPanelfrm::langChange);
  Bind(L"cwebsite", &TComponent::OnClick, &TPanelfrm::cwebsiteClick);
  Bind(L"btupdateCheck", &TComponent::OnClick, &TPanelfrm::btupdateCheckClick);
}

std::wstring TPanelfrm::SelectedToolDrive() const {
  const TComponent& drives = Component(L"ListView3");
  const int row = drives.SelectedRow();
  if (row < 0 || row >= drives.RowCount()) return {};
  return drives.Rows()[static_cast<size_t>(row)].Caption;
}

void TPanelfrm::StartTool(int toolId, const std::wstring& root, bool registered) {
  if (root.empty()) return;
  auto* tool = new TToolThread(toolId, root);
  if (toolId == kToolSafeOpen) {
    tool->FOnOpened = [this] {
      if (Visible()) SetWindowState(TWindowState::Minimized);
    };
  }
  StartWorker(tool, registered ? &State().WorkThreads : nullptr);
}

void TPanelfrm::StartRepair(const PdiskInfo& drive) {
  if (!drive || !ProtectionOnOrSaySo()) return;
  const std::wstring root = ToUpper(drive->root);
  const std::wstring name = FormatText(L"%s (%s)", {drive->VolName, root});
  if (FRepairing.count(root)) {
    ShowNotification(MsgInformationTitle, FormatText(MsgRepairRunning, {name}), 0);
    return;
  }
  const std::wstring question = FormatText(MsgRepairConfirm, {std::wstring(kProductName), name});
  if (ShowMessageBox(question, MsgConfirmationTitle, kMbYesNoCancel) != kIdYes) return;
  FRepairing.insert(root);
  Component(L"Label13").SetCaption(FormatText(MsgRepairRunning, {name}));
  // The engine logs each step; the user is told once, at the end.
  auto onEnd = [this, root, name](const TRepairCounts& counts) {
    FRepairing.erase(root);
    const TRepairSummary summary = SummariseRepair(name, counts);
    Component(L"Label13").SetCaption(summary.title);
    ShowNotification(summary.title, summary.text, summary.complete ? 0 : 1);
    refreshBt();
  };
  // A quarantined finding has left the drive: its row goes with it.
  auto onStep = [this](const TRepairStep& step) {
    if (step.action == RepairAction::Quarantined) RemoveFindingRows(step.path);
  };
  StartWorker(new TRepairThread(drive, false, onStep, onEnd), &State().WorkThreads);
}

void TPanelfrm::RepairDrive_mClick(TComponent&) {
  if (PdiskInfo drive = State().DriveList.ByRoot(SelectedToolDrive())) StartRepair(drive);
}

void TPanelfrm::_repairDrive(TComponent& sender) { StartRepair(DriveOfEntry(sender)); }

void TPanelfrm::btToolChangeAttributeClick(TComponent&) { Component(L"PopupMenu3").Popup(); }

void TPanelfrm::ChangeFoldersAttr_mClick(TComponent&) { StartTool(kToolRepairFolders, SelectedToolDrive(), true); }

void TPanelfrm::ChangeFilesAttr_mClick(TComponent&) { StartTool(kToolRepairFiles, SelectedToolDrive(), true); }

void TPanelfrm::btToolProtectionFolderClick(TComponent&) {
  StartTool(kToolProtectionFolder, SelectedToolDrive(), true);
}

void TPanelfrm::safeopenbtClick(TComponent&) { StartTool(kToolSafeOpen, SelectedToolDrive(), true); }

void TPanelfrm::ListView3DblClick(TComponent& sender) { safeopenbtClick(sender); }

void TPanelfrm::_resetFolderAttribute(TComponent& sender) {
  if (PdiskInfo drive = DriveOfEntry(sender)) StartTool(kToolRepairFolders, drive->root, false);
}

void TPanelfrm::resetfile_mClick(TComponent& sender) {
  if (PdiskInfo drive = DriveOfEntry(sender)) StartTool(kToolRepairFiles, drive->root, true);
}

void TPanelfrm::_safeopen(TComponent& sender) {
  if (PdiskInfo drive = DriveOfEntry(sender)) StartTool(kToolSafeOpen, drive->root, false);
}

}  // namespace dw
