#include "ui/win32/NotifyWindow.h"

namespace dw::win32 {

bool TNotifyWindow::PreviewMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message != WM_SYSCOMMAND) return false;
  // The low four bits are the system's own.
  if (!FPopup.WMSysCommand(static_cast<uint32_t>(wParam & 0xFFF0))) return false;
  result = 0;
  return true;
}

}  // namespace dw::win32
