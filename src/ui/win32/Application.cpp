#include "ui/win32/Application.h"

namespace dw::win32 {

void TWin32Application::Terminate() { PostQuitMessage(0); }

// Held only so that other programs can see an instance runs; never waited on.
void TWin32Application::CreateInstanceMutex() { FMutex.Reset(CreateMutexW(nullptr, FALSE, kInstanceMutexName)); }

void TWin32Application::CloseInstanceMutex() { FMutex.Reset(); }

uint32_t TWin32Application::RegisterAutoPlayQueryMessage() { return RegisterWindowMessageW(L"QueryCancelAutoPlay"); }

int TWin32Application::RunMessageLoop(HWND dialogWindow) {
  MSG message{};
  for (;;) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (dialogWindow && IsDialogMessageW(dialogWindow, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace dw::win32
