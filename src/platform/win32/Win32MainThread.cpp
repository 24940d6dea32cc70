#include "platform/win32/Win32MainThread.h"

#include <exception>
#include <memory>
#include <mutex>

#include "platform/Caught.h"

namespace dw {

namespace {

constexpr UINT kInvokeMessage = WM_APP + 0x100;
constexpr UINT kPostMessage = WM_APP + 0x101;
constexpr const wchar_t* kClassName = L"DrivewardenMainThread";

struct InvokeCall {
  const std::function<void()>* fn;
  std::exception_ptr error;
};

}  // namespace

Win32MainThread::Win32MainThread() : threadId_(GetCurrentThreadId()) {
  static std::once_flag registered;
  std::call_once(registered, [] {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &Win32MainThread::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
  });
  window_ =
      CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
}

Win32MainThread::~Win32MainThread() {
  if (!IsCurrent()) return;
  // Calls posted but never served are dropped with their functions.
  MSG message;
  while (PeekMessageW(&message, window_, kPostMessage, kPostMessage, PM_REMOVE)) {
    delete reinterpret_cast<std::function<void()>*>(message.lParam);
  }
  DestroyWindow(window_);
}

LRESULT CALLBACK Win32MainThread::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // No exception may cross the system's frames of the message dispatch.
  if (message == kInvokeMessage) {
    auto* call = reinterpret_cast<InvokeCall*>(lParam);
    try {
      (*call->fn)();
    } catch (...) {
      call->error = std::current_exception();
    }
    return 0;
  }
  if (message == kPostMessage) {
    std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(lParam));
    try {
      (*fn)();
    } catch (...) {
      // Nobody waits for a posted call; its failure ends with it.
      RecordCaught("posted call");
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Win32MainThread::Invoke(const std::function<void()>& fn) {
  if (IsCurrent()) {
    fn();
    return;
  }
  InvokeCall call{&fn, nullptr};
  SendMessageW(window_, kInvokeMessage, 0, reinterpret_cast<LPARAM>(&call));
  if (call.error) std::rethrow_exception(call.error);
}

void Win32MainThread::Post(std::function<void()> fn) {
  auto* posted = new std::function<void()>(std::move(fn));
  if (!PostMessageW(window_, kPostMessage, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
}

void Win32MainThread::ProcessMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool Win32MainThread::IsCurrent() { return GetCurrentThreadId() == threadId_; }

}  // namespace dw
