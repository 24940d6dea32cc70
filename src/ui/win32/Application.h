// The application object of the Win32 program: the message loop and what the
// portable start-up asks of the window system.
#pragma once

#include "platform/win32/WindowsSupport.h"

#include "app/main1.h"

namespace dw::win32 {

class TWin32Application : public TApplication {
 public:
  void Terminate() override;
  void CreateInstanceMutex() override;
  void CloseInstanceMutex() override;
  uint32_t RegisterAutoPlayQueryMessage() override;

  // Runs until Terminate; keyboard navigation works inside dialogWindow.
  int RunMessageLoop(HWND dialogWindow);

 private:
  ScopedKernelHandle FMutex;
};

}  // namespace dw::win32
