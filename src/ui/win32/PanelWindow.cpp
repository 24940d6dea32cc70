#include "ui/win32/PanelWindow.h"

#include "app/main1.h"
#include "state/SharedState.h"
#include "ui/Systray.h"
#include "ui/win32/Pictures.h"

namespace dw::win32 {

TPanelWindow::TPanelWindow(TPanelfrm& panel, TPanelWindowHooks hooks)
    : TFormWindow(panel), FPanel(panel), FHooks(std::move(hooks)) {}

TPanelWindow::~TPanelWindow() {
  if (FTray) SetTrayObserver(nullptr);
}

bool TPanelWindow::Create() {
  if (!TFormWindow::Create()) return false;
  FTray = std::make_unique<TTrayIcon>(Handle(), std::wstring(kStateIconsPicture));
  SetTrayObserver(FTray.get());
  AllowMessagesFromOtherRights();
  return true;
}

// A run with administrator rights would otherwise never hear the show request of
// an ordinary second start, the re-created taskbar, or Explorer's AutoPlay query:
// the system drops messages sent up to a process with higher rights.
void TPanelWindow::AllowMessagesFromOtherRights() {
  const UINT messages[] = {kShowPanelMessage, kTrayCallbackMessage, TTrayIcon::TaskbarCreatedMessage(),
                           RegisterWindowMessageW(L"QueryCancelAutoPlay")};
  for (UINT message : messages)
    if (message) ChangeWindowMessageFilterEx(Handle(), message, MSGFLT_ALLOW, nullptr);
}

bool TPanelWindow::PreviewMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const uint32_t autoPlay = State().AutoPlayQueryMessage;
  if (autoPlay != 0 && message == autoPlay) {
    result = AutoPlayAnswer(State().ProtectionEnabled);
    return true;
  }
  if (message == TTrayIcon::TaskbarCreatedMessage()) {
    if (FTray) FTray->ShellRestarted();
    return false;
  }
  switch (message) {
    case kTrayCallbackMessage: OnTrayCallback(static_cast<UINT>(lParam)); return false;
    case kShowPanelMessage: FPanel.Show(); return false;
    case WM_QUERYENDSESSION: result = TRUE; return true;
    case WM_ENDSESSION:
      if (wParam && FHooks.EndSession) FHooks.EndSession();
      result = 0;
      return true;
    case WM_DEVICECHANGE:
      if (FHooks.DeviceChange) FHooks.DeviceChange(wParam, lParam);
      return false;
    default: return false;
  }
}

void TPanelWindow::OnTrayCallback(UINT mouseMessage) {
  switch (TrayClickAction(mouseMessage)) {
    case TTrayClick::Show: FPanel.Show(); break;
    case TTrayClick::ShowAndRestore:
      FPanel.Show();
      FPanel.SetWindowState(TWindowState::Normal);
      break;
    case TTrayClick::OpenMenu: {
      POINT cursor{};
      GetCursorPos(&cursor);
      OpenPopupMenu(FPanel.Component(L"PopupMenu1"), cursor);
      break;
    }
    case TTrayClick::None: break;
  }
}

}  // namespace dw::win32
