// System services on Linux: XDG folders, the user from the password database,
// no user interface (message boxes answer Cancel, nothing is started), and
// Windows-1252 as the ANSI code page.
#pragma once

#include <ctime>

#include "platform/Platform.h"

namespace dw {

class PosixSystem : public System {
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

// "dd/mm/yyyy hh:mm:ss", the date alone at exactly midnight (as Windows renders a
// date-and-time value in a French locale).
std::wstring FormatDateTime(const std::tm& local);

}  // namespace dw
