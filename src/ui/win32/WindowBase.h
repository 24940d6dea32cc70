// The base of every window object: one static window procedure binds the C++
// object at WM_NCCREATE and hands each later message to its WindowProc.
#pragma once

#include "ui/win32/Win32Ui.h"

namespace dw::win32 {

class TWindowBase {
 public:
  TWindowBase() = default;
  virtual ~TWindowBase();
  TWindowBase(const TWindowBase&) = delete;
  TWindowBase& operator=(const TWindowBase&) = delete;

  HWND Handle() const { return FHandle; }

  // Registers a window class served by this base, once per name.
  static void RegisterBoundClass(const wchar_t* className, UINT style = CS_DBLCLKS);
  // Unbinds, then destroys the window: messages sent while it goes down reach the
  // default procedure, never a half-destroyed object.
  void DestroyHandle();

 protected:
  // CreateWindowExW with this object bound; the handle, or null on failure.
  HWND CreateBound(DWORD exStyle, const wchar_t* className, const wchar_t* caption, DWORD style, int x, int y,
                   int width, int height, HWND parent, HMENU menuOrId);
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(FHandle, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND FHandle = nullptr;
};

}  // namespace dw::win32
