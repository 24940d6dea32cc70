#include "state/Companions.h"

#include <algorithm>

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

std::optional<TAntivirusCommand> AntivirusCommand(const std::wstring& commandLine, const std::wstring& root) {
  // The command line is the user's own text: a "%d" or a second "%s" in it must
  // not be filled with whatever happens to follow.
  if (!FormatFits(commandLine, {root})) return std::nullopt;
  const size_t start = commandLine.find_first_not_of(L" \t");
  if (start == std::wstring::npos) return std::nullopt;
  TAntivirusCommand command;
  size_t rest;
  if (commandLine[start] == L'"') {
    const size_t close = commandLine.find(L'"', start + 1);
    if (close == std::wstring::npos) return std::nullopt;
    command.program = commandLine.substr(start + 1, close - start - 1);
    rest = close + 1;
  } else {
    rest = std::min(commandLine.find_first_of(L" \t", start), commandLine.size());
    command.program = commandLine.substr(start, rest - start);
  }
  rest = std::min(commandLine.find_first_not_of(L" \t", rest), commandLine.size());
  std::wstring arguments = commandLine.substr(rest);
  // A root ends with "\": before a closing quote it must be doubled, or the program
  // reads the quote as part of its argument.
  for (size_t at = arguments.find(L"%s\""); at != std::wstring::npos; at = arguments.find(L"%s\"", at + 4)) {
    arguments.insert(at + 2, L"\\");
  }
  // The program keeps its text as written; the placeholder belongs to the arguments.
  if (!FormatFits(arguments, {root}) || !FormatFits(command.program, {})) return std::nullopt;
  command.program = FormatText(command.program, {});
  command.arguments = FormatText(arguments, {root});
  if (command.program.empty()) return std::nullopt;
  return command;
}

AntivirusStart StartAntivirus(const std::wstring& commandLine, const std::wstring& root) {
  std::optional<TAntivirusCommand> command = AntivirusCommand(commandLine, root);
  if (!command) return AntivirusStart::Invalid;
  const bool started =
      Sys().Shell(OwnerWindow::Application, L"open", command->program, command->arguments, L"", kSwShowNormal);
  return started ? AntivirusStart::Started : AntivirusStart::NotStarted;
}

void OpenProductWebPage() { Sys().Shell(OwnerWindow::Application, L"open", kProductWebPage, L"", L"", kSwShow); }

}  // namespace dw
