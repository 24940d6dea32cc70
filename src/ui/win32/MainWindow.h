// The hidden main window Tmainfrm: a message-only window whose close ends the
// program.
#pragma once

#include "app/main1.h"
#include "ui/win32/WindowBase.h"

namespace dw::win32 {

class TMainWindow : public TWindowBase {
 public:
  explicit TMainWindow(Tmainfrm& form) : FForm(form) {}
  ~TMainWindow() override { DestroyHandle(); }
  bool Create();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnSysCommand(WPARAM command, LPARAM lParam);

  Tmainfrm& FForm;
};

}  // namespace dw::win32
