// update.exe's logic. The product has no update service yet, so the updater never
// goes to the network: it shows, in the user's language, either the notice that
// the program asked for (no check wanted) or that no check could be made.
#pragma once

#include <string>
#include <vector>

namespace dw {

// What the command line asks for: "/hidden", "/langid=N" and "/no_update_check",
// in any order and letter case.
struct TUpdaterOptions {
  bool Hidden = false;
  int LanguageId = 0;
  bool NoUpdateCheck = false;
  bool operator==(const TUpdaterOptions&) const = default;
};

// The arguments after the program's name. Each may hold several switches
// separated by blanks (the program's parameters begin with one in some starts);
// unknown switches are ignored, and a "/langid=" that is no decimal number
// leaves the language as it was.
TUpdaterOptions ParseUpdaterArguments(const std::vector<std::wstring>& arguments);

enum class TNoticeKind { Information, Warning };

struct TUpdaterNotice {
  bool Show = false;
  int Entry = 0;  // the catalogue entry of the text
  TNoticeKind Kind = TNoticeKind::Information;
  std::wstring Caption;
  std::wstring Text;
};

// What the updater shows: nothing with "/hidden"; otherwise the up-to-date notice
// when no check was wanted, or the notice that no check could be made. The text
// comes from the language file that LanguageId selects in programFolder, the one
// the program itself would load; the French default where there is none.
TUpdaterNotice UpdaterNotice(const TUpdaterOptions& options, const std::wstring& programFolder);

}  // namespace dw
