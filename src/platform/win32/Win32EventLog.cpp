#include "platform/win32/Win32EventLog.h"

namespace dw {

namespace {

// ReportEventW takes at most this many strings of at most 31,839 characters each;
// a path off a stick is far shorter, a damaged target is cut.
constexpr size_t kMaxStrings = 8;
constexpr size_t kMaxStringLength = 31839;

}  // namespace

Win32EventLog::~Win32EventLog() {
  if (FSource) DeregisterEventSource(FSource);
}

bool Win32EventLog::Report(EventLevel level, uint32_t eventId, const std::vector<std::wstring>& strings) {
  std::call_once(FRegistered, [this] { FSource = RegisterEventSourceW(nullptr, L"Drivewarden"); });
  if (!FSource) return false;
  std::vector<std::wstring> bounded;
  for (size_t i = 0; i < strings.size() && i < kMaxStrings; ++i) {
    bounded.push_back(strings[i].substr(0, kMaxStringLength));
  }
  std::vector<LPCWSTR> pointers;
  for (const std::wstring& text : bounded) pointers.push_back(text.c_str());
  // A failure (a full log, a stopped service) loses this event only.
  return ReportEventW(FSource, static_cast<WORD>(level), 0, eventId, nullptr, static_cast<WORD>(pointers.size()), 0,
                      pointers.empty() ? nullptr : pointers.data(), nullptr);
}

}  // namespace dw
