// The window thread on Windows: a message-only window on the thread that creates
// this object. Invoke sends it a message (and so waits), Post posts one.
#pragma once

#include "platform/win32/WindowsSupport.h"

#include "platform/Platform.h"

namespace dw {

class Win32MainThread : public MainThread {
 public:
  Win32MainThread();
  ~Win32MainThread() override;
  Win32MainThread(const Win32MainThread&) = delete;
  Win32MainThread& operator=(const Win32MainThread&) = delete;

  // An exception thrown by fn on the window thread is thrown again here.
  void Invoke(const std::function<void()>& fn) override;
  void Post(std::function<void()> fn) override;
  // Serves the waiting messages of this thread; a WM_QUIT is left for the message loop.
  void ProcessMessages() override;
  bool IsCurrent() override;

  HWND Window() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  DWORD threadId_ = 0;
};

}  // namespace dw
