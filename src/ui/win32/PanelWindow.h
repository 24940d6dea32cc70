// The control panel's window: the forms renderer for TPanelfrm with the messages
// only this window hears in front of it (PanelWindowProc): the tray icon's
// callback, a second start's show request, the shell's AutoPlay query, the
// taskbar's re-creation, the end of the session and device changes.
#pragma once

#include <functional>
#include <memory>

#include "ui/main.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/TrayIcon.h"

namespace dw::win32 {

struct TPanelWindowHooks {
  // Windows ends the session: the program's orderly exit, done before returning.
  std::function<void()> EndSession;
  // WM_DEVICECHANGE; its answer is the default one.
  std::function<void(WPARAM event, LPARAM data)> DeviceChange;
};

class TPanelWindow : public TFormWindow {
 public:
  TPanelWindow(TPanelfrm& panel, TPanelWindowHooks hooks);
  ~TPanelWindow() override;

  // The window, its tray icon (attached to the Systray model) and the message filters.
  bool Create();

 protected:
  bool PreviewMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void OnTrayCallback(UINT mouseMessage);
  void AllowMessagesFromOtherRights();

  TPanelfrm& FPanel;
  TPanelWindowHooks FHooks;
  std::unique_ptr<TTrayIcon> FTray;
};

}  // namespace dw::win32
