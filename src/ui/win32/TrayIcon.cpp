#include "ui/win32/TrayIcon.h"

#include <algorithm>

#include "ui/win32/Pictures.h"

namespace dw::win32 {

TTrayIcon::TTrayIcon(HWND owner, std::wstring picture) : FOwner(owner), FPicture(std::move(picture)) {}

TTrayIcon::~TTrayIcon() {
  if (TrayIcon().Added) {
    NOTIFYICONDATAW data = Data(TrayIcon());
    Shell_NotifyIconW(NIM_DELETE, &data);
  }
}

UINT TTrayIcon::TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

NOTIFYICONDATAW TTrayIcon::Data(const TTrayIconRecord& record) {
  if (record.Icon != FIconImage || !FIcon) {
    // The notification area shows small icons; the shell copies the one it is given.
    FIcon = DrawPicture(FPicture, record.Icon, GetSystemMetrics(SM_CXSMICON));
    FIconImage = record.Icon;
  }
  // Every field cleared, so the tip is always terminated; the real size of this
  // build's structure, which the shell checks.
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = FOwner;
  data.uID = record.uID;
  data.uFlags = record.uFlags;
  data.uCallbackMessage = record.uCallbackMessage;
  data.hIcon = FIcon.Get();
  size_t length = std::min(record.Tip.size(), std::size(data.szTip) - 1);
  std::copy_n(record.Tip.begin(), length, data.szTip);
  return data;
}

void TTrayIcon::TrayChanged(const TTrayIconRecord& record, TTrayOperation operation) {
  NOTIFYICONDATAW data = Data(record);
  switch (operation) {
    case TTrayOperation::Add: Shell_NotifyIconW(NIM_ADD, &data); break;
    case TTrayOperation::Modify: Shell_NotifyIconW(NIM_MODIFY, &data); break;
    case TTrayOperation::Delete: Shell_NotifyIconW(NIM_DELETE, &data); break;
  }
}

void TTrayIcon::ShellRestarted() {
  if (!TrayIcon().Added) return;
  NOTIFYICONDATAW data = Data(TrayIcon());
  Shell_NotifyIconW(NIM_ADD, &data);
}

}  // namespace dw::win32
