// Owners of Windows handles: each closes its handle with the one function that
// fits it, and moves but never copies.
#pragma once

#include <utility>

#include "ui/win32/Win32Ui.h"

namespace dw::win32 {

template <typename T, auto Close>
class THandleOf {
 public:
  THandleOf() = default;
  explicit THandleOf(T handle) : FHandle(handle) {}
  ~THandleOf() { Reset(); }
  THandleOf(THandleOf&& other) noexcept : FHandle(other.Release()) {}
  THandleOf& operator=(THandleOf&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  THandleOf(const THandleOf&) = delete;
  THandleOf& operator=(const THandleOf&) = delete;

  T Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }
  T Release() { return std::exchange(FHandle, nullptr); }
  void Reset(T handle = nullptr) {
    if (FHandle) Close(FHandle);
    FHandle = handle;
  }

 private:
  T FHandle = nullptr;
};

inline void CloseGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void CloseIcon(HICON icon) { DestroyIcon(icon); }
inline void CloseMenu(HMENU menu) { DestroyMenu(menu); }
inline void CloseWindow(HWND window) { DestroyWindow(window); }
inline void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }
inline void CloseImageList(HIMAGELIST list) { ImageList_Destroy(list); }
inline void CloseMemoryDC(HDC dc) { DeleteDC(dc); }

using TFontHandle = THandleOf<HFONT, CloseGdiObject>;
using TBrushHandle = THandleOf<HBRUSH, CloseGdiObject>;
using TPenHandle = THandleOf<HPEN, CloseGdiObject>;
using TBitmapHandle = THandleOf<HBITMAP, CloseGdiObject>;
using TIconHandle = THandleOf<HICON, CloseIcon>;
using TMenuHandle = THandleOf<HMENU, CloseMenu>;
using TWindowHandle = THandleOf<HWND, CloseWindow>;
using TKernelHandle = THandleOf<HANDLE, CloseKernelHandle>;
using TImageListHandle = THandleOf<HIMAGELIST, CloseImageList>;
using TMemoryDCHandle = THandleOf<HDC, CloseMemoryDC>;

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
