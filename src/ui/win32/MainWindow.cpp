#include "ui/win32/MainWindow.h"

namespace dw::win32 {

bool TMainWindow::Create() {
  RegisterBoundClass(kMainFormClassName, 0);
  // Message-only: no taskbar button, never shown, and out of reach of broadcasts.
  return CreateBound(0, kMainFormClassName, L"mainfrm", WS_OVERLAPPED, 0, 0, 0, 0, HWND_MESSAGE, nullptr) != nullptr;
}

LRESULT TMainWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE: FForm.FormClose(); return 0;
    case WM_SYSCOMMAND: return OnSysCommand(wParam, lParam);
    default: return DefaultProc(message, wParam, lParam);
  }
}

LRESULT TMainWindow::OnSysCommand(WPARAM command, LPARAM lParam) {
  switch (command & 0xFFF0) {
    case SC_MINIMIZE:
      ShowWindow(Handle(), SW_MINIMIZE);
      Sleep(200);
      ShowWindow(Handle(), SW_HIDE);
      return 0;
    case SC_RESTORE: ShowWindow(Handle(), SW_RESTORE); return 0;
    default: return DefaultProc(WM_SYSCOMMAND, command, lParam);
  }
}

}  // namespace dw::win32
