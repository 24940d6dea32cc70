// Excluding drives, the language choice, the about page's commands and the
// antivirus entry of the tray menu.
#include "common/Text.h"
#include "engine/rules.h"
#include "loc/LangLocStrings.h"
#include "state/Companions.h"
#include "state/Elevation.h"
#include "state/Notify.h"
#include "state/SharedState.h"
#include "ui/DriveEntry.h"
#include "ui/DriveListing.h"
#include "ui/main.h"

namespace dw {

namespace {
constexpr uint32_t kMbIconError = 0x10;
}  // namespace

void TPanelfrm::btexcludeDiskClick(TComponent& sender) {
  TSharedState& state = State();
  if (state.Policies.Avoid) return;
  if (sender.Tag() == -1) {
    TComponent& menu = Component(L"PopupMenu2");
    BuildDriveMenu(state.DriveList, menu, [this](TComponent& item) { btexcludeDiskClick(item); });
    menu.Popup();
    return;
  }
  PdiskInfo drive = DriveOfEntry(sender);
  if (!drive) return;
  const int answer =
      ShowMessageBox(FormatText(MsgExcludeDriveWarning, {drive->root}), MsgConfirmationTitle, kMbYesNoCancel);
  if (answer == kIdYes) ExcludeDrive(drive->root);
}

// Entries may repeat: clearing a row takes one entry away, so a drive excluded
// twice stays excluded until it is cleared again.
void TPanelfrm::ListView5Click(TComponent&) {
  TThreadStringList& excluded = State().ExcludedDrives;
  TComponent& drives = Component(L"ListView5");
  const std::vector<TListRow> rows = drives.Rows();
  if (State().Policies.Avoid) {
    // The ticks go back to what the policy excludes.
    for (size_t row = 0; row < rows.size(); ++row)
      drives.SetRowChecked(static_cast<int>(row), excluded.Contains(rows[row].Caption));
    return;
  }
  for (const TListRow& row : rows) {
    const bool listed = excluded.Contains(row.Caption);
    if (row.Checked && !listed) {
      ExcludeDrive(row.Caption);
    } else if (!row.Checked && listed) {
      excluded.Remove(row.Caption);
    }
  }
}

void TPanelfrm::langChange(TComponent& sender) {
  if (std::optional<int> held = State().Policies.LanguageId) return sender.SetItemIndex(*held);
  if (WriteLanguageSetting) WriteLanguageSetting(sender.ItemIndex());
  ShowMessageBox(MsgRestartForLanguage, kProductName, kMbOk);
}

void TPanelfrm::cwebsiteClick(TComponent&) { OpenProductWebPage(); }

void TPanelfrm::btupdateCheckClick(TComponent&) { UpdateSoftware(0); }

void TPanelfrm::UpdateSoftware(int mode) { StartUpdater(mode, LanguageSetting ? LanguageSetting() : 0); }

void TPanelfrm::_antivirusScan(TComponent& sender) {
  PdiskInfo drive = DriveOfEntry(sender);
  const std::wstring commandLine = State().AntivirusCommandLine;
  // The entry may have been built before the command line was cleared.
  if (!drive || commandLine.empty()) return;
  switch (StartAntivirus(commandLine, drive->root)) {
    case AntivirusStart::Started: break;
    case AntivirusStart::Invalid:
      ShowMessageBox(FormatText(MsgAntivirusCommandInvalid, {commandLine}), MsgFailureTitle, kMbOk | kMbIconError);
      break;
    case AntivirusStart::NotStarted:
      ShowNotification(MsgFailureTitle, FormatText(MsgAntivirusNotStarted, {commandLine}), 1);
      break;
  }
}

}  // namespace dw
