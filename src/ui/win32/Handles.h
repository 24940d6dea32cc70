// Owners of the handles the window code makes, and scopes for device contexts.
#pragma once

#include "ui/win32/Win32Ui.h"

namespace dw::win32 {

// Window-side handles, owned through the backend's ScopedHandle: each trait says
// how its kind is closed. Null is the absent handle of every kind here.
template <typename T, auto CloseFn>
struct NullHandleTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static void Close(Handle handle) { CloseFn(handle); }
};

inline void CloseGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void CloseIcon(HICON icon) { DestroyIcon(icon); }
inline void CloseMenu(HMENU menu) { DestroyMenu(menu); }

using TFontHandle = ScopedHandle<NullHandleTraits<HFONT, CloseGdiObject>>;
using TBrushHandle = ScopedHandle<NullHandleTraits<HBRUSH, CloseGdiObject>>;
using TBitmapHandle = ScopedHandle<NullHandleTraits<HBITMAP, CloseGdiObject>>;
using TIconHandle = ScopedHandle<NullHandleTraits<HICON, CloseIcon>>;
using TMenuHandle = ScopedHandle<NullHandleTraits<HMENU, CloseMenu>>;

// A GDI object selected into a device context for the scope.
class TSelectObject {
 public:
  TSelectObject(HDC dc, HGDIOBJ object) : FDC(dc), FOld(SelectObject(dc, object)) {}
  ~TSelectObject() { SelectObject(FDC, FOld); }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

// BeginPaint/EndPaint.
class TPaintScope {
 public:
  explicit TPaintScope(HWND window) : FWindow(window) { FDC = BeginPaint(window, &FPaint); }
  ~TPaintScope() { EndPaint(FWindow, &FPaint); }
  TPaintScope(const TPaintScope&) = delete;
  TPaintScope& operator=(const TPaintScope&) = delete;
  HDC DC() const { return FDC; }
  const RECT& Dirty() const { return FPaint.rcPaint; }

 private:
  HWND FWindow;
  PAINTSTRUCT FPaint{};
  HDC FDC;
};

// GetDC/ReleaseDC.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window) : FWindow(window), FDC(GetDC(window)) {}
  ~TWindowDC() { ReleaseDC(FWindow, FDC); }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC DC() const { return FDC; }

 private:
  HWND FWindow;
  HDC FDC;
};

}  // namespace dw::win32
