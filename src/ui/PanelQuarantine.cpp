// The quarantine page: the stored files with their sizes and source paths, and
// the commands that erase, empty and restore.
#include "common/Text.h"
#include "engine/quarantine.h"
#include "engine/rules.h"
#include "loc/LangLocStrings.h"
#include "platform/Platform.h"
#include "state/Elevation.h"
#include "state/Notify.h"
#include "state/SharedState.h"
#include "ui/main.h"

namespace dw {

namespace {

bool ConfirmErase(const std::wstring& text) { return ShowMessageBox(text, MsgWarningTitle, kMbYesNoCancel) == kIdYes; }

}  // namespace

void TPanelfrm::QuarantineListCleared(TquarantineThread&) {
  Component(L"ListView4").ClearRows();
  FQuarantineNames.clear();
  UpdateQuarantineButtons();
}

void TPanelfrm::QuarantineRowAdded(TquarantineThread& worker) {
  const TQuarantineSync& entry = worker.sync;
  Component(L"ListView4")
      .AddRow({entry.displayName, {QuarantineSizeText(entry.size), entry.storedDate, entry.sourcePath}});
  FQuarantineNames.push_back(entry.currFileName);
}

void TPanelfrm::QuarantineSizeShown(TquarantineThread& worker) {
  // An empty store takes no room; a stored file at least one ko.
  int64_t ko = worker.FListed == 0 ? 0 : worker.FqfolderSize / 1024 + 1;
  Component(L"IquarantineMemory").SetCaption(FormatText(MsgQuarantineSize, {ko}));
  TComponent& rows = Component(L"ListView4");
  if (rows.RowCount() == 1 && rows.SelectedRow() < 0) rows.SetSelectedRow(0);
  UpdateQuarantineButtons();
}

// Erase and restore act on the selected row: without one they cannot act.
void TPanelfrm::UpdateQuarantineButtons() {
  bool selected = !SelectedStoredName().empty();
  Component(L"btquarantineDel").SetEnabled(selected);
  Component(L"btquarantineRestore").SetEnabled(selected);
}

void TPanelfrm::ListView4Change(TComponent&) { UpdateQuarantineButtons(); }

void TPanelfrm::QuarantineEmptiedShown(TquarantineThread&, bool emptied) {
  Component(L"ListView4").ClearRows();
  FQuarantineNames.clear();
  UpdateQuarantineButtons();
  if (emptied) {
    ShowNotification(MsgSuccessTitle, MsgQuarantineFilesDeleted, 0);
    LogItem(L"quarantineEmptied", QuarantineFolder());
    return;
  }
  ShowNotification(MsgFailureTitle, FormatText(MsgDisposeFailed, {QuarantineFolder()}), 1);
  LogItem(L"quarantineErase/failed", QuarantineFolder());
}

void TPanelfrm::QuarantineEntryErased(TquarantineThread& worker, bool erased) {
  if (erased) {
    ShowNotification(MsgSuccessTitle, FormatText(MsgQuarantineEmptied, {QuarantineDisplayName(worker.Farg1)}), 0);
    LogItem(L"quarantineErase", worker.Farg1);
    return;
  }
  ShowNotification(MsgFailureTitle, FormatText(MsgDisposeFailed, {worker.Farg1}), 1);
  LogItem(L"quarantineErase/failed", worker.Farg1);
}

// The pop-up and the log name the file as it was restored (or would have been),
// never by its stored name.
void TPanelfrm::QuarantineRestoredShown(TquarantineThread& worker, RestoreResult result) {
  const std::wstring& target = worker.FRestoredTo;
  const std::wstring name = FileNamePart(target);
  const std::wstring folder = target.substr(0, target.size() - name.size());
  switch (result) {
    case RestoreResult::Restored:
      ShowNotification(MsgSuccessTitle, FormatText(MsgFileRestored, {name, folder}), 0);
      LogItem(L"quarantineRestoreTo", target);
      return;
    case RestoreResult::NameTaken:
      ShowNotification(MsgFailureTitle, FormatText(MsgRestoreNameTaken, {name, folder}), 1);
      break;
    case RestoreResult::FolderGone:
      ShowNotification(MsgFailureTitle, FormatText(MsgRestoreOriginGone, {target}), 1);
      break;
    case RestoreResult::NotFound:
    case RestoreResult::Failed:
      ShowNotification(MsgFailureTitle, FormatText(MsgRestoreFailed, {name, folder}), 1);
      break;
  }
  LogItem(L"quarantineRestoreTo/failed", target);
}

void TPanelfrm::TabSheet4Show(TComponent&) { StartWorker(new TquarantineThread(ListEntries, L"", L"", this), nullptr); }

// The stored name of the selected row; empty without one. The names come from the
// page's own listing, and are held to a stored entry's form all the same: the
// store's folder is shared, and only a name of its own may reach a file there.
std::wstring TPanelfrm::SelectedStoredName() {
  int row = Component(L"ListView4").SelectedRow();
  if (row < 0 || static_cast<size_t>(row) >= FQuarantineNames.size()) return L"";
  const std::wstring& name = FQuarantineNames[static_cast<size_t>(row)];
  return IsStoredEntryName(name) ? name : L"";
}

void TPanelfrm::btquarantineDelClick(TComponent&) {
  std::wstring stored = SelectedStoredName();
  if (stored.empty()) return;
  const TComponent& rows = Component(L"ListView4");
  const TListRow& row = rows.Rows().at(static_cast<size_t>(rows.SelectedRow()));
  if (!ConfirmErase(FormatText(MsgConfirmEraseStored, {row.Caption, row.SubItems.at(2)}))) return;
  StartWorker(new TquarantineThread(EraseEntry, stored, L"", this), &State().WorkThreads);
}

std::wstring TPanelfrm::SelectedSourceRoot() {
  const TComponent& rows = Component(L"ListView4");
  const int row = rows.SelectedRow();
  if (SelectedStoredName().empty() || row < 0 || static_cast<size_t>(row) >= rows.Rows().size()) return L"";
  const std::vector<std::wstring>& cells = rows.Rows()[static_cast<size_t>(row)].SubItems;
  if (cells.size() < 3) return L"";
  const std::wstring& source = cells[2];
  const std::wstring root = DriveRootOf(source);
  if (!StartsWithNoCase(source, root) || source.size() <= root.size()) return L"";
  PdiskInfo drive = State().DriveList.ByRoot(root);
  return drive ? drive->root : L"";
}

// Back where it was when its drive is attached, or to a folder the user picks.
void TPanelfrm::btquarantineRestoreClick(TComponent& sender) {
  if (SelectedStoredName().empty()) return;
  if (SelectedSourceRoot().empty()) {
    RestoreFolder_mClick(sender);
    return;
  }
  Component(L"PopupMenu4").Popup();
}

void TPanelfrm::RestoreOrigin_mClick(TComponent&) {
  std::wstring stored = SelectedStoredName();
  std::wstring root = SelectedSourceRoot();
  if (stored.empty() || root.empty()) return;
  StartWorker(new TquarantineThread(RestoreToOrigin, stored, root, this), &State().WorkThreads);
}

void TPanelfrm::RestoreFolder_mClick(TComponent&) {
  // The name is taken before the dialog: a listing may refill the page meanwhile.
  std::wstring stored = SelectedStoredName();
  if (stored.empty()) return;
  std::optional<std::wstring> folder = Sys().BrowseForFolder(MsgSelectFolder);
  if (!folder || folder->empty()) return;
  StartWorker(new TquarantineThread(RestoreEntry, stored, IncludeTrailingBackslash(*folder), this),
              &State().WorkThreads);
}

// The question names what goes as the store holds it now, not as the page last
// showed it; and only what it named goes.
void TPanelfrm::btquarantineEraseClick(TComponent&) {
  std::vector<QuarantineEntry> entries;
  ListQuarantineEntries([&](const QuarantineEntry& entry) {
    entries.push_back(entry);
    return true;
  });
  if (entries.size() == 1) {
    if (!ConfirmErase(FormatText(MsgConfirmEraseStored, {entries[0].displayName, entries[0].sourcePath}))) return;
  } else if (!entries.empty()) {
    if (!ConfirmErase(FormatText(MsgConfirmEmptyQuarantine, {static_cast<int64_t>(entries.size())}))) return;
  }
  auto* worker = new TquarantineThread(EraseAll, L"", L"", this);
  for (const QuarantineEntry& entry : entries) worker->FNames.push_back(entry.storedName);
  StartWorker(worker, &State().WorkThreads);
}

}  // namespace dw
