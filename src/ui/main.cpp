#include "ui/main.h"

#include "common/Text.h"
#include "devices/DrivePass.h"
#include "loc/LangLocStrings.h"
#include "state/Elevation.h"
#include "state/Notify.h"
#include "state/SharedState.h"
#include "ui/DriveListing.h"
#include "ui/Systray.h"

namespace dw {

namespace {

TFormStyle PanelStyle() {
  TFormStyle style;
  style.ClassName = L"TPanelfrm";
  style.Caption = kProductName;
  style.ClientWidth = 479;
  style.ClientHeight = 445;
  style.FontFace = L"Tahoma";
  style.FontSize = 8;
  style.StayOnTop = true;
  style.Position = TFormPosition::Centred;
  style.ShowHints = true;
  style.AppWindow = true;
  style.Border = TFormBorder::Fixed;
  return style;
}

}  // namespace

TPanelfrm::TPanelfrm() : TForm(PanelStyle()) {
  Build(PanelLayout());
  Bind(L"cprotectionControl", &TComponent::OnClick, &TPanelfrm::cprotectionControlClick);
  Bind(L"ActiverDsactiverlaprotection1", &TComponent::OnClick, &TPanelfrm::cprotectionControlClick);
  Bind(L"Afficher1", &TComponent::OnClick, &TPanelfrm::Afficher1Click);
  Bind(L"PopupMenu1", &TComponent::OnPopup, &TPanelfrm::PopupMenu1Popup);
  Bind(L"TabSheet3", &TComponent::OnShow, &TPanelfrm::TabSheet3Show);
  Bind(L"TabSheet5", &TComponent::OnShow, &TPanelfrm::TabSheet5Show);
  Bind(L"TabSheet6", &TComponent::OnShow, &TPanelfrm::TabSheet6Show);
  Bind(L"TabSheet7", &TComponent::OnShow, &TPanelfrm::TabSheet7Show);
  Bind(L"btlogOpen", &TComponent::OnClick, &TPanelfrm::btlogOpenClick);
  Bind(L"a_menace", &TComponent::OnClick, &TPanelfrm::a_menaceClick);
  Bind(L"a_risk", &TComponent::OnClick, &TPanelfrm::a_riskClick);
  Bind(L"antiviruscmd_txt", &TComponent::OnChange, &TPanelfrm::antiviruscmd_txtChange);
  BindFindings();
  BindTools();
  Bind(L"ListView3", &TComponent::OnChange, &TPanelfrm::ListView3Change);
  UpdateToolButtons();
}

TNotifyEvent TPanelfrm::Handler(void (TPanelfrm::*handler)(TComponent&)) {
  return [this, handler](TComponent& sender) { (this->*handler)(sender); };
}

void TPanelfrm::Bind(const wchar_t* component, TNotifyEvent TComponent::*event,
                     void (TPanelfrm::*handler)(TComponent&)) {
  Component(component).*event = Handler(handler);
}

void TPanelfrm::refreshBt() {
  TSharedState& state = State();
  TComponent& band = Component(L"Shape1");
  TComponent& headline = Component(L"Label8");
  TComponent& tools = Component(L"ListView3");

  // A finding or a drive coming or going refills the list: the user's pick stays;
  // with one drive there is nothing to pick.
  const std::wstring picked = SelectedToolDrive();
  tools.ClearRows();
  FillDriveListView(state.DriveList, tools, true);
  for (int row = 0; row < tools.RowCount(); ++row) {
    if (!picked.empty() && EqualsNoCase(tools.Rows()[static_cast<size_t>(row)].Caption, picked))
      tools.SetSelectedRow(row);
  }
  if (tools.RowCount() == 1) tools.SetSelectedRow(0);
  UpdateToolButtons();
  // The options page's drives follow arrivals and removals while it is shown.
  if (Component(L"PageControl1").ActivePage() == L"TabSheet5") RefillExclusionList();

  // Protection off comes first: findings listed before it was switched off are no
  // news next to a PC that nothing protects now. No all-clear either while drives
  // are still being scanned. The tray icon's tip says the same in a few words.
  int image;
  const std::wstring product = kProductName;
  const int64_t threats = state.ThreatList.Count(), suspects = state.RiskList.Count();
  const bool scanning = FScansRunning > 0 || !FScansPending.empty();
  if (!state.ProtectionEnabled) {
    band.SetColor(kClRed);
    image = kImageUnprotected;
    ModifyTrayIcon(FormatText(MsgTrayUnprotected, {product}), image);
    Component(L"Label13").SetCaption(MsgProtectionDisabled);
    headline.SetCaption(MsgSystemUnprotected);
  } else if (threats + suspects > 0) {
    band.SetColor(kClRed);
    image = kImageFindings;
    ModifyTrayIcon(FormatText(MsgTrayFindings, {product, threats, suspects}), image);
    headline.SetCaption(MsgThreatsDetected);
  } else {
    band.SetColor(kClWhite);
    image = kImageProtected;
    ModifyTrayIcon(scanning ? FormatText(MsgTrayScanning, {product}) : product, image);
    if (state.DriveList.Count() == 0) {
      headline.SetCaption(MsgNoUsbDrive);
    } else if (scanning) {
      headline.SetCaption(MsgScanningDrives);
    } else {
      headline.SetCaption(MsgNoThreatDetected);
    }
  }
  SetIconIndex(image);
}

// The tools page's commands act on the picked drive: without one they cannot act.
void TPanelfrm::UpdateToolButtons() {
  bool picked = !SelectedToolDrive().empty();
  for (const wchar_t* name : {L"btToolChangeAttribute", L"btToolProtectionFolder", L"safeopenbt"}) {
    Component(name).SetEnabled(picked);
  }
}

void TPanelfrm::ListView3Change(TComponent&) { UpdateToolButtons(); }

void TPanelfrm::DisableProtection() {
  State().ProtectionEnabled = false;
  LogItem(L"protection/off", L"");
  refreshBt();
  ShowNotification(MsgAlertTitle, FormatText(MsgDisabled, {std::wstring(kProductName)}), 1);
  Component(L"Label13").SetCaption(MsgProtectionDisabled);
}

void TPanelfrm::EnableProtection() {
  TSharedState& state = State();
  state.ProtectionEnabled = true;
  LogItem(L"protection/on", L"");
  // Drives attached while it was off were never scanned: they are now, silently as
  // at start-up, and the headline waits for them.
  for (const PdiskInfo& drive : state.DriveList.Snapshot()) {
    if (state.ExcludedDrives.Contains(drive->root)) continue;
    FScansPending.insert(ToLower(drive->root));
    StartSilentDriveScan(drive);
  }
  refreshBt();
  ShowNotification(MsgInformationTitle, FormatText(MsgActive, {std::wstring(kProductName)}), 0);
  Component(L"Label13").SetCaption(MsgProtectionActive);
}

void TPanelfrm::cprotectionControlClick(TComponent&) {
  if (State().Policies.Enable) {
    ShowNotification(MsgInformationTitle, MsgProtectionSetByOrganisation, 0);
    return;
  }
  if (State().ProtectionEnabled) {
    DisableProtection();
  } else {
    EnableProtection();
  }
  refreshBt();
}

void TPanelfrm::PopupMenu1Popup(TComponent&) {
  TSharedState& state = State();
  bool haveDrives = state.DriveList.Count() > 0;
  Component(L"repairdisk_m").SetEnabled(haveDrives);
  Component(L"resetfolder_m").SetEnabled(haveDrives);
  Component(L"safeopen_m").SetEnabled(haveDrives);
  Component(L"Scan_m").SetEnabled(haveDrives);

  BuildDriveMenu(state.DriveList, Component(L"repairdisk_m"), Handler(&TPanelfrm::_repairDrive));
  BuildDriveMenu(state.DriveList, Component(L"resetfolder_m"), Handler(&TPanelfrm::_resetFolderAttribute));
  BuildDriveMenu(state.DriveList, Component(L"resetfile_m"), Handler(&TPanelfrm::resetfile_mClick));
  BuildDriveMenu(state.DriveList, Component(L"safeopen_m"), Handler(&TPanelfrm::_safeopen));
  BuildDriveMenu(state.DriveList, Component(L"Scan_m"), Handler(&TPanelfrm::_Scan));

  TComponent& antivirus = Component(L"Antivirusscan_m");
  antivirus.SetVisible(!state.AntivirusCommandLine.empty());
  if (antivirus.Visible()) BuildDriveMenu(state.DriveList, antivirus, Handler(&TPanelfrm::_antivirusScan));
}

void TPanelfrm::Afficher1Click(TComponent&) { Show(); }

void TPanelfrm::TabSheet3Show(TComponent&) { refreshBt(); }

// The radio groups offer only Ask and Delete. A value they do not offer (2,
// Quarantine, set in the settings file) is shown with no choice selected and
// kept: showing the page must never change an action. The policies are read
// again first: the page shows what is in force now.
void TPanelfrm::TabSheet5Show(TComponent&) {
  RefreshPolicies();
  TSharedState& state = State();
  RefillExclusionList();

  Component(L"a_menace").SetItemIndex(state.ThreatAction);
  Component(L"a_risk").SetItemIndex(state.RiskAction);

  Component(L"antiviruscmd_txt").SetText(state.AntivirusCommandLine);

  if (LanguageSetting) Component(L"lang").SetItemIndex(LanguageSetting());
}

void TPanelfrm::RefillExclusionList() {
  TSharedState& state = State();
  TComponent& drives = Component(L"ListView5");
  drives.ClearRows();
  FillDriveListView(state.DriveList, drives, false);
  for (int row = 0; row < drives.RowCount(); ++row)
    if (state.ExcludedDrives.Contains(drives.Rows()[static_cast<size_t>(row)].Caption)) drives.SetRowChecked(row, true);
}

void TPanelfrm::TabSheet6Show(TComponent&) {
  Component(L"Label4").SetCaption(kProductName);
  Component(L"Label7").SetVisible(true);
}

// A held setting keeps the policy's value whatever reaches its control.
void TPanelfrm::a_menaceClick(TComponent& sender) {
  TSharedState& state = State();
  if (state.Policies.ThreatAction) return sender.SetItemIndex(state.ThreatAction);
  if (sender.ItemIndex() >= 0) state.ThreatAction = sender.ItemIndex();
}

void TPanelfrm::a_riskClick(TComponent& sender) {
  TSharedState& state = State();
  if (state.Policies.RiskAction) return sender.SetItemIndex(state.RiskAction);
  if (sender.ItemIndex() >= 0) state.RiskAction = sender.ItemIndex();
}

void TPanelfrm::antiviruscmd_txtChange(TComponent& sender) {
  TSharedState& state = State();
  if (!state.Policies.AntivirusCmdLine) state.AntivirusCommandLine = sender.Text();
}

}  // namespace dw
