// The notification-area icon as data. The model keeps what the shell was last
// told; the Win32 side hears each step through the observer and hands the same
// record to Shell_NotifyIconW. Window thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dw {

constexpr uint32_t kTrayIconId = 1;
constexpr uint32_t kTrayCallbackMessage = 0x0400 + 1;  // WM_USER+1
constexpr uint32_t kTrayFlags = 7;                     // NIF_MESSAGE | NIF_ICON | NIF_TIP
constexpr size_t kTrayTipLength = 64;                  // UTF-16 code units
// The icon index that stands for the application's own icon.
constexpr int kApplicationIcon = -1;

// TrayIconRecord: the fields the program sets. The window is the control panel's,
// which only the Win32 side knows.
struct TTrayIconRecord {
  bool Added = false;
  uint32_t uID = kTrayIconId;
  uint32_t uFlags = kTrayFlags;
  uint32_t uCallbackMessage = kTrayCallbackMessage;
  int Icon = kApplicationIcon;  // an image of the control panel's ImageList1
  std::wstring Tip;             // at most kTrayTipLength UTF-16 code units
};

enum class TTrayOperation { Add, Modify, Delete };

class ITrayObserver {
 public:
  virtual ~ITrayObserver() = default;
  virtual void TrayChanged(const TTrayIconRecord& record, TTrayOperation operation) = 0;
};

// The first characters of text that fit in kTrayTipLength UTF-16 code units. A
// character outside the Basic Multilingual Plane counts twice and is never cut
// in half.
std::wstring CutTrayTip(std::wstring_view text);

// Every call reports to the observer, whether or not the icon was added before:
// the shell's results are not looked at.
void AddTrayIcon(int icon, const std::wstring& tip);
void ModifyTrayIcon(const std::wstring& tip, int icon);
void DeleteTrayIcon();

const TTrayIconRecord& TrayIcon();
// One observer at a time; null to detach.
void SetTrayObserver(ITrayObserver* observer);
// Back to a fresh record without observer (tests).
void ResetTrayIcon();

}  // namespace dw
