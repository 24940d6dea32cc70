#include "platform/win32/Win32System.h"

#include <shellapi.h>
#include <shlobj.h>

#include <atomic>

#include "platform/ComApartment.h"

namespace dw {

namespace {

std::atomic<HWND> ownerWindows[3];

const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

std::wstring DateOrTime(bool date, const SYSTEMTIME& moment) {
  auto format = [&](wchar_t* buffer, int size) {
    return date ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &moment, nullptr, buffer, size)
                : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &moment, nullptr, buffer, size);
  };
  int needed = format(nullptr, 0);
  if (needed <= 0) return {};
  std::wstring text(static_cast<size_t>(needed), L'\0');
  int written = format(text.data(), needed);
  text.resize(written > 0 ? static_cast<size_t>(written - 1) : 0);
  return text;
}

}  // namespace

void SetOwnerWindow(OwnerWindow owner, HWND window) { ownerWindows[static_cast<int>(owner)] = window; }

HWND OwnerWindowHandle(OwnerWindow owner) { return ownerWindows[static_cast<int>(owner)]; }

std::wstring Win32System::SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return {};
  return path;
}

std::wstring Win32System::SystemDirectory() {
  wchar_t path[MAX_PATH + 1] = {};
  UINT length = GetSystemDirectoryW(path, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return {};
  return path;
}

std::optional<std::wstring> Win32System::UserName() {
  DWORD size = 0;
  if (GetUserNameW(nullptr, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) {
    return std::nullopt;
  }
  std::wstring name(size, L'\0');
  if (!GetUserNameW(name.data(), &size)) return std::nullopt;
  name.resize(size > 0 ? size - 1 : 0);  // size counts the terminating zero
  return name;
}

std::wstring Win32System::ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

bool Win32System::Shell(OwnerWindow owner, const std::wstring& verb, const std::wstring& file,
                        const std::wstring& parameters, const std::wstring& directory, int show) {
  HINSTANCE started =
      ShellExecuteW(OwnerWindowHandle(owner), OrNull(verb), file.c_str(), OrNull(parameters), OrNull(directory), show);
  // Values up to 32 are the documented error codes.
  return reinterpret_cast<INT_PTR>(started) > 32;
}

int Win32System::MessageDialog(const std::wstring& text, const std::wstring& caption, uint32_t type) {
  return MessageBoxW(OwnerWindowHandle(OwnerWindow::ControlPanel), text.c_str(), caption.c_str(), type);
}

std::wstring FormatDateTime(const SYSTEMTIME& moment) {
  std::wstring text = DateOrTime(true, moment);
  if (moment.wHour == 0 && moment.wMinute == 0 && moment.wSecond == 0) return text;
  return text + L" " + DateOrTime(false, moment);
}

std::wstring Win32System::LocalDateTimeText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return FormatDateTime(now);
}

std::wstring Win32System::DateTimeText(int64_t unixTime) {
  constexpr int64_t kTicksPerSecond = 10000000, kSecondsFrom1601To1970 = 11644473600;
  ULARGE_INTEGER ticks;
  ticks.QuadPart = static_cast<uint64_t>((unixTime + kSecondsFrom1601To1970) * kTicksPerSecond);
  FILETIME utc{ticks.LowPart, ticks.HighPart};
  SYSTEMTIME universal, local;
  if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
    return L"";
  }
  return FormatDateTime(local);
}

uint32_t Win32System::TickCount() { return GetTickCount(); }

void Win32System::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

std::optional<std::wstring> Win32System::EnvironmentVariable(const std::wstring& name) {
  if (const wchar_t* value = _wgetenv(name.c_str())) return std::wstring(value);
  return std::nullopt;
}

std::wstring Win32System::ErrorMessage(uint32_t code) {
  wchar_t text[1024] = {};
  DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, 1024, nullptr);
  std::wstring message(text, length);
  while (!message.empty() &&
         (message.back() == L' ' || message.back() == L'\r' || message.back() == L'\n' || message.back() == L'.')) {
    message.pop_back();
  }
  return message;
}

std::string Win32System::ToAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  // No best-fit letters: what the code page cannot hold becomes its default character.
  int size = static_cast<int>(text.size());
  int needed = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string bytes(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, bytes.data(), needed, nullptr, nullptr);
  return bytes;
}

std::wstring Win32System::FromAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  int size = static_cast<int>(bytes.size());
  int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring text(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), needed);
  return text;
}

uint32_t Win32System::AnsiCodePage() { return GetACP(); }

std::optional<std::wstring> Win32System::BrowseForFolder(const std::wstring& title) {
  // The dialog needs COM on this thread; joining an apartment already there is harmless.
  ComApartment com;
  BROWSEINFOW info = {};
  info.hwndOwner = OwnerWindowHandle(OwnerWindow::ControlPanel);
  info.lpszTitle = title.c_str();
  // The classic dialog: the new style needs OLE set up on the calling thread.
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&info);
  if (!picked) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  BOOL named = SHGetPathFromIDListW(picked, path);
  CoTaskMemFree(picked);
  if (!named || path[0] == L'\0') return std::nullopt;
  return std::wstring(path);
}

}  // namespace dw
