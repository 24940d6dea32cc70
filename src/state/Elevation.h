// Asking for administrator rights, and the message box that workers may show.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace dw {

constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbYesNoCancel = 0x3;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr int kSwShow = 5;

extern const wchar_t* const kProductName;  // "Drivewarden"

// MessageBoxW owned by the control panel, from any thread; blocks until answered.
int ShowMessageBox(const std::wstring& text, const std::wstring& caption, uint32_t type);

// The first request of a run tells the user, starts usbcmd.exe "/runAsadmin" and
// ends the program shortly after; later requests, an elevated run and a request
// during exit do nothing.
void RequestElevation();

// How the program arms its end timer on the window thread (the control panel sets it).
void SetElevationExitHook(std::function<void()> armEndTimer);

}  // namespace dw
