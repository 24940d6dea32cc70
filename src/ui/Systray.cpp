#include "ui/Systray.h"

namespace dw {

namespace {

TTrayIconRecord record;
ITrayObserver* observer = nullptr;

void Report(TTrayOperation operation) {
  if (observer) observer->TrayChanged(record, operation);
}

// A character beyond the Basic Multilingual Plane held in one unit (UTF-32 wchar_t).
template <typename Char>
bool IsWideAstral(Char c) {
  if constexpr (sizeof(Char) > 2) {
    return static_cast<uint32_t>(c) > 0xFFFF;
  } else {
    return false;
  }
}

// wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both count as the shell would.
size_t Utf16Units(std::wstring_view text, size_t at, size_t& next) {
  wchar_t c = text[at];
  if (IsWideAstral(c)) {
    next = at + 1;
    return 2;
  }
  if (c >= 0xD800 && c <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF) {
    next = at + 2;
    return 2;
  }
  next = at + 1;
  return 1;
}

}  // namespace

std::wstring CutTrayTip(std::wstring_view text) {
  size_t units = 0, at = 0;
  while (at < text.size()) {
    size_t next = at;
    size_t width = Utf16Units(text, at, next);
    if (units + width > kTrayTipLength) break;
    units += width;
    at = next;
  }
  return std::wstring(text.substr(0, at));
}

void AddTrayIcon(int icon, const std::wstring& tip) {
  record.Added = true;
  record.uID = kTrayIconId;
  record.uFlags = kTrayFlags;
  record.uCallbackMessage = kTrayCallbackMessage;
  record.Icon = icon;
  record.Tip = CutTrayTip(tip);
  Report(TTrayOperation::Add);
}

void ModifyTrayIcon(const std::wstring& tip, int icon) {
  record.uID = kTrayIconId;
  record.Tip = CutTrayTip(tip);
  record.Icon = icon;
  Report(TTrayOperation::Modify);
}

void DeleteTrayIcon() {
  record.uID = kTrayIconId;
  record.Added = false;
  Report(TTrayOperation::Delete);
}

const TTrayIconRecord& TrayIcon() { return record; }

void SetTrayObserver(ITrayObserver* newObserver) { observer = newObserver; }

void ResetTrayIcon() {
  record = TTrayIconRecord{};
  observer = nullptr;
}

}  // namespace dw
