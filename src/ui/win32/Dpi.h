// Screen scaling. Layouts are written in pixels at 96 dots per inch; every pixel
// constant reaches the screen through Scale, at the DPI of the window's monitor.
#pragma once

#include "ui/win32/Win32Ui.h"

namespace dw::win32 {

constexpr UINT kDefaultDpi = 96;

class TDpi {
 public:
  explicit TDpi(UINT dpi = kDefaultDpi) : FDpi(dpi ? dpi : kDefaultDpi) {}
  UINT Value() const { return FDpi; }
  int Scale(int pixelsAt96) const { return MulDiv(pixelsAt96, static_cast<int>(FDpi), kDefaultDpi); }
  // The character height of a font of this many points (negative: without leading).
  int FontHeight(int points) const { return -MulDiv(points, static_cast<int>(FDpi), 72); }
  bool operator==(const TDpi&) const = default;

 private:
  UINT FDpi;
};

// The DPI a window is drawn at; systems without per-monitor DPI give the screen's.
TDpi DpiForWindow(HWND window);
TDpi DpiForSystem();
// GetSystemMetrics at a given DPI where the system offers it.
int SystemMetric(int index, TDpi dpi);
// AdjustWindowRectEx at a given DPI where the system offers it.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, TDpi dpi);

}  // namespace dw::win32
