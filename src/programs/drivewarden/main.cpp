// drivewarden.exe: the single-instance check, then the windows in their order,
// the start-up drive pass, the message loop and the orderly end.
#include "ui/main.h"

#include <string>
#include <utility>

#include "app/main1.h"
#include "devices/DeviceChange.h"
#include "devices/DrivePass.h"
#include "engine/keptfindings.h"
#include "platform/Platform.h"
#include "platform/win32/CommandLine.h"
#include "platform/win32/Win32System.h"
#include "state/Settings.h"
#include "ui/DriveListing.h"
#include "ui/Systray.h"
#include "ui/usbnotify.h"
#include "ui/win32/Application.h"
#include "ui/win32/MainWindow.h"
#include "ui/win32/NotifyWindow.h"
#include "ui/win32/PanelWindow.h"

namespace {

using namespace dw;

std::wstring FirstArgument() {
  const std::vector<std::wstring> arguments = win32::CommandLineArguments();
  return arguments.empty() ? L"" : arguments.front();
}

// A running instance is known by its control panel window. Then this process only
// asks it to show itself (or, restarted elevated, gives it time to end) and leaves
// without touching anything.
bool IsAlreadyRunning(const std::wstring& firstArgument) {
  HWND running = FindWindowW(kPanelClassName, L"Drivewarden");
  if (!running) return false;
  if (SecondStartAction(firstArgument) == TSecondStart::WaitAndEnd) {
    Sleep(kSecondStartWaitMs);
    return true;
  }
  // The user started this process, so it may hand the foreground to the running one.
  DWORD processId = 0;
  GetWindowThreadProcessId(running, &processId);
  AllowSetForegroundWindow(processId);
  SendMessageW(running, kShowPanelMessage, 0, 0);
  return true;
}

void InitCommonControlClasses() {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES;
  InitCommonControlsEx(&classes);
}

// Drive sizes are grouped as the user's number format groups them.
void UseUserThousandsSeparator() {
  wchar_t separator[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8) > 0) SetThousandsSeparator(separator);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring firstArgument = FirstArgument();
  if (IsAlreadyRunning(firstArgument)) return 0;

  // The first call on this thread makes the window thread's message-only window,
  // through which workers reach it; no worker exists before this.
  platform();
  InitCommonControlClasses();
  UseUserThousandsSeparator();

  win32::TWin32Application application;
  Tmainfrm mainfrm(application);
  win32::TMainWindow mainWindow(mainfrm);
  mainWindow.Create();

  TPanelfrm panel;
  TPanelLifecycle lifecycle(panel, application, firstArgument);
  win32::TPanelWindowHooks panelHooks;
  panelHooks.EndSession = [&] {
    DeleteTrayIcon();
    lifecycle.FormDestroy();
  };
  panelHooks.DeviceChange = [&panel](WPARAM event, LPARAM data) {
    panel.WMDeviceChange(event, ReadDeviceBroadcast(reinterpret_cast<const void*>(data)));
  };
  win32::TPanelWindow panelWindow(panel, std::move(panelHooks));
  if (!panelWindow.Create()) return 1;
  // Programs and message boxes are owned by the control panel: the main window is
  // message-only and can own no visible window.
  SetOwnerWindow(OwnerWindow::Application, panelWindow.Handle());
  SetOwnerWindow(OwnerWindow::ControlPanel, panelWindow.Handle());
  lifecycle.FormCreate();
  // After the control panel: the pop-up's start-up notices need the settings and
  // the translated catalogue, and it shows the panel's state icon.
  TForm3 popup(panel);
  win32::TNotifyWindow popupWindow(popup);
  // Without its window the queue still runs; the program is not worth ending for it.
  popupWindow.Create();
  popup.FormCreate(*lifecycle.SettingsFile());

  TDrivePassHooks drivePass;
  drivePass.Refresh = [&panel] { panel.refreshBt(); };
  EnumerateDrives(drivePass);
  // Listed before a restart with administrator rights: shown again.
  if (RelistKeptFindings() > 0) {
    panel.refreshBt();
    panel.Component(L"PageControl1").SetActivePage(L"TabSheet1");
    panel.Show();
  }
  application.RunMessageLoop(panelWindow.Handle());

  DeleteTrayIcon();
  popupWindow.DestroyHandle();
  panelWindow.DestroyHandle();
  lifecycle.FormDestroy();
  mainWindow.DestroyHandle();
  // Workers still running end with the process. Leaving through the C runtime
  // would destroy the shared state under their feet.
  ExitProcess(0);
}
