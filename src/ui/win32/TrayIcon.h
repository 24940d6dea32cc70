// The notification-area icon: hands each step of the Systray model to the shell.
#pragma once

#include <string>

#include "ui/Systray.h"
#include "ui/win32/Handles.h"

namespace dw::win32 {

class TTrayIcon : public ITrayObserver {
 public:
  // owner receives the icon's callback messages; picture names the state icons.
  TTrayIcon(HWND owner, std::wstring picture);
  ~TTrayIcon() override;
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  void TrayChanged(const TTrayIconRecord& record, TTrayOperation operation) override;
  // The shell's taskbar was created again (Explorer restarted): its icons are gone,
  // so an icon that was showing is added anew.
  void ShellRestarted();
  // The registered message the shell broadcasts then.
  static UINT TaskbarCreatedMessage();

 private:
  NOTIFYICONDATAW Data(const TTrayIconRecord& record);

  HWND FOwner;
  std::wstring FPicture;
  int FIconImage = -2;  // the image FIcon shows; -2 before the first
  TIconHandle FIcon;
};

}  // namespace dw::win32
