// The control panel, TPanelfrm: the window's components built from one layout
// table, and the handlers that keep them in step with the shared state. The
// handlers change the model only; ui/win32 renders it.
#pragma once

#include <functional>
#include <span>

#include "ui/forms.h"

namespace dw {

// The images of ImageList1, shown by the tray icon and as the window icon.
constexpr int kImageProtected = 0;
constexpr int kImageUnprotected = 1;
constexpr int kImageFindings = 2;

// Every component of the control panel, in creation order.
std::span<const TLayoutRow> PanelLayout();

class TPanelfrm : public TForm {
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
  void TabSheet5Show(TComponent& sender);
  void TabSheet6Show(TComponent& sender);
  void a_menaceClick(TComponent& sender);
  void a_riskClick(TComponent& sender);
  void antiviruscmd_txtChange(TComponent& sender);

  // The drive entries of the tray menu; sender's Tag is the drive's position in
  // DriveList. Their work belongs to the repair tools, the scan and the antivirus
  // command, which fill these in.
  void _resetFolderAttribute(TComponent& sender);
  void resetfile_mClick(TComponent& sender);
  void _safeopen(TComponent& sender);
  void _Scan(TComponent& sender);
  void _antivirusScan(TComponent& sender);

  // Repair tools, drive exclusion, and the options and about pages.
  // Writes languageId into the settings file at once; bound by start-up.
  std::function<void(int)> WriteLanguageSetting;
  void BindTools();
  void btToolChangeAttributeClick(TComponent& sender);
  void ChangeFoldersAttr_mClick(TComponent& sender);
  void ChangeFilesAttr_mClick(TComponent& sender);
  void btToolProtectionFolderClick(TComponent& sender);
  void safeopenbtClick(TComponent& sender);
  void ListView3DblClick(TComponent& sender);
  // The root of the drive selected in ListView3 (upper case), empty when none is.
  std::wstring SelectedToolDrive() const;
  // Starts a repair tool on root; registered tools join WorkThreads.
  void StartTool(int toolId, const std::wstring& root, bool registered);
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
};

}  // namespace dw
