// The updater's notice: a small window of its own, owned by no other, with an
// icon, the text and an OK button, laid out at the DPI of its monitor. The text
// is measured with the font it is drawn with, so no letter is cut off.
#pragma once

#include <string>

#include "ui/win32/Dpi.h"
#include "ui/win32/Handles.h"
#include "ui/win32/WindowBase.h"

namespace dw::win32 {

inline constexpr wchar_t kNoticeClassName[] = L"TUpdateNotice";

class TNoticeWindow : public TWindowBase {
 public:
  // icon: a system icon such as IDI_INFORMATION or IDI_WARNING.
  TNoticeWindow(std::wstring caption, std::wstring text, const wchar_t* icon);
  // Shows the window centred on the primary monitor and returns when it is closed.
  void ShowModal();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Font, icon, control places and the window's client size at dpi.
  void Layout(TDpi dpi);
  void EraseBackground(HDC dc);

  std::wstring FCaption;
  std::wstring FText;
  const wchar_t* FIconName;
  TDpi FDpi;
  TFontHandle FFont;
  TIconHandle FIcon;
  HWND FLabel = nullptr;
  HWND FButton = nullptr;
  RECT FIconRect{};
  int FBandTop = 0;  // where the button band begins
  SIZE FClient{};
};

}  // namespace dw::win32
