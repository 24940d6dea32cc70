// The programs started beside this one: the updater, the user's antivirus and
// the product web page. Started through the shell; nothing is waited for.
#pragma once

#include <optional>
#include <string>

namespace dw {

inline constexpr wchar_t kProductWebPage[] = L"https://drivewarden.org";
inline constexpr wchar_t kUpdaterName[] = L"update.exe";

// mode 1 (at start-up): "/hidden /langid=N /no_update_check"; any other mode
// (the user's request): " /langid=N /no_update_check".
std::wstring UpdaterParameters(int mode, int languageId);
// update.exe from the program's folder, owned by the control panel.
void StartUpdater(int mode, int languageId);

struct TAntivirusCommand {
  std::wstring program, arguments;
};

// The antivirus command line for root, split as Windows splits a command line: a
// quoted program path, or the text up to the first blank, then its arguments, in
// which each "%s" becomes root. Nothing when its placeholders do not fit one text
// argument, or the quote that opens the program is never closed.
std::optional<TAntivirusCommand> AntivirusCommand(const std::wstring& commandLine, const std::wstring& root);

enum class AntivirusStart { Started, Invalid, NotStarted };
// Starts it in a window of its own, for the user to follow.
AntivirusStart StartAntivirus(const std::wstring& commandLine, const std::wstring& root);

void OpenProductWebPage();

}  // namespace dw
