// What the launcher rules share: which files Windows runs on a double click, a
// name as the user reads it, and the entries that Windows, Office and macOS put on
// a drive by themselves (never the user's, so never impersonated and never a sign
// that his files were hidden).
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/traces/TraceRule.h"

namespace dw {

// Programs, scripts and shortcuts: what a double click runs.
bool IsLauncherExtension(std::wstring_view extension);
// Shortcuts, whose extension Windows never shows.
bool IsShortcutExtension(std::wstring_view extension);

// The name as Explorer lets the user read it: every kind of blank one space,
// invisible characters dropped, blanks and dots at either end gone.
std::wstring ShownName(std::wstring_view name);
// The shown name without its extension, blanks and dots at its end gone too.
std::wstring ShownStem(const std::wstring& shown);

bool IsHidden(const FindData& entry);
// System Volume Information, desktop.ini, Thumbs.db, Office owner files, macOS's
// and Linux desktops' own entries. The recycle bins are not among them: only a look
// inside tells a genuine one.
bool IsSystemOwnEntry(const FindData& entry);
// The boot managers that Windows install media and boot sticks keep hidden on
// their root: programs, but no worm's (one that took their names still needs a
// launcher, which the rules see).
bool IsBootManager(std::wstring_view name);
// autorun.inf, autorun.ini, and either once the classic rule set it aside.
bool IsAutorunFile(const FindData& entry);
// $RECYCLE.BIN or RECYCLER: a folder of Windows if it holds what Windows puts there.
bool IsRecycleBinName(const FindData& entry);

// What the root's listing shows the user of an entry.
enum class TShownAs {
  Nothing,     // the system's own, or an autorun file a worm hid
  Launcher,    // a visible program, script or shortcut
  Content,     // something of his own he sees and knows
  Hidden,      // hidden, or in sight under a name that does not show
  RecycleBin,  // the system's own if a look inside says so
};
TShownAs ShownAs(const FindData& entry);
// Empty once blanks and invisible characters are gone, or only underscores: a
// worm's hiding place in plain sight.
bool HasUnseenName(const FindData& entry);

// The programs that the classic rule 5 reports in a folder (NAME.exe beside a
// hidden or system folder NAME), so that they are not listed a second time.
class TClassicPairs {
 public:
  explicit TClassicPairs(const std::vector<FindData>& entries);
  bool Covers(const FindData& entry) const;

 private:
  std::unordered_set<std::wstring> FPrograms;  // lower case
};

// Whether folder + name reaches the one entry the listing showed under name;
// otherwise the entry is a part of the drive the scan could not deal with.
bool CanReport(const TFolderView& folder, const FindData& entry, TTraceContext& context);

}  // namespace dw
