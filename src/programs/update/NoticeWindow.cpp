#include "programs/update/NoticeWindow.h"

#include <algorithm>
#include <utility>

namespace dw::win32 {

namespace {

// The measures of a system message box at 96 dots per inch.
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kMaxTextWidth = 360;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kBandPadding = 10;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW;
constexpr UINT kTextFormat = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;

using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

// The message font the user chose, at dpi. Resolved at run time: the per-monitor
// function came with Windows 10.
HFONT CreateMessageFont(TDpi dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto forDpi = user32 ? reinterpret_cast<SystemParametersInfoForDpiFn>(
                             reinterpret_cast<void*>(GetProcAddress(user32, "SystemParametersInfoForDpi")))
                       : nullptr;
  if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi.Value()))
    return CreateFontIndirectW(&metrics.lfMessageFont);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return nullptr;
  metrics.lfMessageFont.lfHeight =
      MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi.Value()), static_cast<int>(DpiForSystem().Value()));
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

// A copy of the system icon at size pixels, which the window owns.
HICON LoadSystemIcon(const wchar_t* name, int size) {
  if (HANDLE icon = LoadImageW(nullptr, name, IMAGE_ICON, size, size, 0)) return static_cast<HICON>(icon);
  return CopyIcon(LoadIconW(nullptr, name));
}

}  // namespace

TNoticeWindow::TNoticeWindow(std::wstring caption, std::wstring text, const wchar_t* icon)
    : FCaption(std::move(caption)), FText(std::move(text)), FIconName(icon) {}

void TNoticeWindow::Layout(TDpi dpi) {
  FDpi = dpi;
  // The controls keep the old font until they are given the new one.
  TFontHandle font(CreateMessageFont(dpi));
  const int iconSize = dpi.Scale(kIconSize);
  FIcon = TIconHandle(LoadSystemIcon(FIconName, iconSize));

  RECT text{0, 0, dpi.Scale(kMaxTextWidth), 0};
  {
    TWindowDC dc(Handle());
    TSelectObject selected(dc.DC(), font.Get());
    DrawTextW(dc.DC(), FText.c_str(), static_cast<int>(FText.size()), &text, kTextFormat | DT_CALCRECT);
  }
  // Some renderers (Wine with a substituted face) draw a line a few per cent wider
  // than its measured advances; the slack keeps the last letters in view.
  text.right += std::max<int>(dpi.Scale(8), text.right / 12);
  const int margin = dpi.Scale(kMargin);
  const int textLeft = margin + iconSize + dpi.Scale(kIconGap);
  const int rowHeight = std::max<int>(iconSize, text.bottom);
  FIconRect = {margin, margin, margin + iconSize, margin + iconSize};
  // A one-line text stands level with the middle of the icon.
  const int textTop = margin + (rowHeight - text.bottom) / 2;
  FBandTop = margin + rowHeight + margin;

  const int buttonWidth = dpi.Scale(kButtonWidth);
  const int buttonHeight = dpi.Scale(kButtonHeight);
  const int bandPadding = dpi.Scale(kBandPadding);
  FClient.cx = std::max<int>(textLeft + text.right + margin, buttonWidth + 2 * margin);
  FClient.cy = FBandTop + bandPadding + buttonHeight + bandPadding;

  SetWindowPos(FLabel, nullptr, textLeft, textTop, text.right, text.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(FButton, nullptr, (FClient.cx - buttonWidth) / 2, FBandTop + bandPadding, buttonWidth, buttonHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(FLabel, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  SendMessageW(FButton, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  FFont = std::move(font);
}

void TNoticeWindow::ShowModal() {
  RegisterBoundClass(kNoticeClassName, 0);
  if (!CreateBound(kExStyle, kNoticeClassName, FCaption.c_str(), kStyle, 0, 0, 0, 0, nullptr, nullptr)) return;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  FLabel = CreateWindowExW(0, L"STATIC", FText.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                           Handle(), nullptr, instance, nullptr);
  FButton = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0,
                            Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);

  // The DPI is known once the window exists; it starts on the primary monitor.
  HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(monitor, &info);
  Layout(DpiForWindow(Handle()));
  RECT frame{0, 0, FClient.cx, FClient.cy};
  AdjustWindowRectForDpi(frame, kStyle, kExStyle, FDpi);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const RECT& work = info.rcWork;
  SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER);

  ShowWindow(Handle(), SW_SHOWNORMAL);
  SetForegroundWindow(Handle());
  SetFocus(FButton);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Enter and Escape reach the window as IDOK and IDCANCEL.
    if (Handle() && IsDialogMessageW(Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TNoticeWindow::EraseBackground(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  RECT top = client;
  top.bottom = FBandTop;
  RECT band = client;
  band.top = FBandTop;
  FillRect(dc, &top, GetSysColorBrush(COLOR_WINDOW));
  FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
  if (FIcon.Get())
    DrawIconEx(dc, FIconRect.left, FIconRect.top, FIcon.Get(), FIconRect.right - FIconRect.left,
               FIconRect.bottom - FIconRect.top, 0, nullptr, DI_NORMAL);
}

LRESULT TNoticeWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: EraseBackground(reinterpret_cast<HDC>(wParam)); return 1;
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
      SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(Handle());
      return 0;
    case WM_DPICHANGED: {
      // Moved to a monitor of another scale: lay out again where the system suggests.
      Layout(TDpi(HIWORD(wParam)));
      RECT frame{0, 0, FClient.cx, FClient.cy};
      AdjustWindowRectForDpi(frame, kStyle, kExStyle, FDpi);
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, frame.right - frame.left,
                   frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(Handle(), nullptr, TRUE);
      return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefaultProc(message, wParam, lParam);
  }
}

}  // namespace dw::win32
