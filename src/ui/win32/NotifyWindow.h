// The notification pop-up's window: the forms renderer for TForm3, with the
// window's system commands handed to the model first.
#pragma once

#include "ui/usbnotify.h"
#include "ui/win32/FormWindow.h"

namespace dw::win32 {

class TNotifyWindow : public TFormWindow {
 public:
  explicit TNotifyWindow(TForm3& popup) : TFormWindow(popup), FPopup(popup) {}

 protected:
  bool PreviewMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  TForm3& FPopup;
};

}  // namespace dw::win32
