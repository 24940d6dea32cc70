#include "state/Companions.h"

#include "common/Text.h"
#include "platform/Platform.h"
#include "state/Elevation.h"

namespace dw {

std::wstring UpdaterParameters(int mode, int languageId) {
  std::wstring parameters = mode == 1 ? L"/hidden" : L"";
  return parameters + L" /langid=" + std::to_wstring(languageId) + L" /no_update_check";
}

void StartUpdater(int mode, int languageId) {
  Sys().Shell(OwnerWindow::ControlPanel, L"open", Sys().ProgramFolder() + kUpdaterName,
              UpdaterParameters(mode, languageId), L"", kSwShow);
}

std::optional<std::wstring> AntivirusFile(const std::wstring& commandLine, const std::wstring& root) {
  // The command line is the user's own text: a "%d" or a second "%s" in it must
  // not be filled with whatever happens to follow.
  if (!FormatFits(commandLine, {root})) return std::nullopt;
  return FormatText(commandLine, {root});
}

bool StartAntivirus(const std::wstring& commandLine, const std::wstring& root) {
  std::optional<std::wstring> file = AntivirusFile(commandLine, root);
  if (!file) return false;
  Sys().Shell(OwnerWindow::Application, L"open", *file, L"", L"", kSwHide);
  return true;
}

void OpenProductWebPage() { Sys().Shell(OwnerWindow::Application, L"open", kProductWebPage, L"", L"", kSwShow); }

}  // namespace dw
