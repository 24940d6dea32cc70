// System services on Windows, and the windows that own started programs and
// message boxes.
#pragma once

#include "platform/win32/WindowsSupport.h"

#include "platform/Platform.h"

namespace dw {

// Registers the window behind an owner (null until the program registers one).
void SetOwnerWindow(OwnerWindow owner, HWND window);
HWND OwnerWindowHandle(OwnerWindow owner);

class Win32System : public System {
 public:
  std::wstring SpecialFolder(int csidl) override;
  std::wstring SystemDirectory() override;
  std::optional<std::wstring> UserName() override;
  std::wstring ProgramFolder() override;
  bool Shell(OwnerWindow owner, const std::wstring& verb, const std::wstring& file, const std::wstring& parameters,
             const std::wstring& directory, int show) override;
  int MessageDialog(const std::wstring& text, const std::wstring& caption, uint32_t type) override;
  std::wstring LocalDateTimeText() override;
  std::wstring DateTimeText(int64_t unixTime) override;
  uint32_t TickCount() override;
  void Sleep(uint32_t milliseconds) override;
  std::wstring ErrorMessage(uint32_t code) override;
  std::optional<std::wstring> EnvironmentVariable(const std::wstring& name) override;
  std::string ToAnsi(std::wstring_view text) override;
  std::wstring FromAnsi(std::string_view bytes) override;
  uint32_t AnsiCodePage() override;
  std::optional<std::wstring> BrowseForFolder(const std::wstring& title) override;
};

// The user's short date, a blank and the long time of moment; the date alone at
// exactly midnight.
std::wstring FormatDateTime(const SYSTEMTIME& moment);

}  // namespace dw
