#include "ui/win32/WindowBase.h"

#include "platform/Caught.h"

namespace dw::win32 {

TWindowBase::~TWindowBase() { DestroyHandle(); }

void TWindowBase::DestroyHandle() {
  HWND window = FHandle;
  if (!window) return;
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  FHandle = nullptr;
  DestroyWindow(window);
}

void TWindowBase::RegisterBoundClass(const wchar_t* className, UINT style) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(instance, className, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = &TWindowBase::StaticWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = className;
  RegisterClassExW(&wc);
}

HWND TWindowBase::CreateBound(DWORD exStyle, const wchar_t* className, const wchar_t* caption, DWORD style, int x,
                              int y, int width, int height, HWND parent, HMENU menuOrId) {
  return CreateWindowExW(exStyle, className, caption, style, x, y, width, height, parent, menuOrId,
                         GetModuleHandleW(nullptr), this);
}

LRESULT CALLBACK TWindowBase::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TWindowBase* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<TWindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->FHandle = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<TWindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->FHandle = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  // No exception may unwind through the system's frames; a failing handler ends
  // its own message and the program goes on.
  try {
    return self->WindowProc(message, wParam, lParam);
  } catch (...) {
    RecordCaught("window procedure");
    return 0;
  }
}

}  // namespace dw::win32
