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

// The file to start for the antivirus on root: the command line with root put in
// for each "%s", the whole text as the file. Empty when its placeholders do not
// fit one text argument.
std::optional<std::wstring> AntivirusFile(const std::wstring& commandLine, const std::wstring& root);
// Starts it hidden; false (nothing started) when the command line does not fit.
bool StartAntivirus(const std::wstring& commandLine, const std::wstring& root);

void OpenProductWebPage();

}  // namespace dw
