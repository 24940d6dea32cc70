#include "ui/win32/Dpi.h"

namespace dw::win32 {

namespace {

// Resolved at run time: the per-monitor functions came with Windows 10, and the
// program must still start on older systems.
template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

}  // namespace

TDpi DpiForSystem() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return TDpi(static_cast<UINT>(dpi));
}

TDpi DpiForWindow(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (UINT dpi = getDpiForWindow(window)) return TDpi(dpi);
  }
  return DpiForSystem();
}

int SystemMetric(int index, TDpi dpi) {
  static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, dpi.Value());
  return GetSystemMetrics(index);
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, TDpi dpi) {
  static const auto forDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (forDpi && forDpi(&rect, style, FALSE, exStyle, dpi.Value())) return;
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

}  // namespace dw::win32
