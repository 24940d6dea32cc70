// The detection rules: what makes a file on a drive a finding.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "state/diskinfo.h"

namespace dw {

class TScanThread;

extern const wchar_t* const AutorunTargetExtensions;
extern const wchar_t* const SuspiciousExtensions;

// The extension (from the last dot, ASCII lower-cased) occurs in list; empty never does.
bool ExtensionMatches(std::wstring_view fileName, std::wstring_view list);

// Rule 1: the root's autorun.inf and autorun.ini, analysed, set aside as ".ren" and reported.
int CheckAutorunFiles(TScanThread& scan, const PdiskInfo& drive);
// Rule 2: the programs an autorun file starts.
int AnalyseAutorunFile(TScanThread& scan, const std::wstring& path, const PdiskInfo& drive);
// Rule 3: hidden system programs in folder.
int CheckSuspiciousFiles(TScanThread& scan, const std::wstring& folder, const PdiskInfo& drive);
// Rule 4: visible shortcuts whose target is hidden or system.
int CheckShortcuts(TScanThread& scan, const std::wstring& folder, const PdiskInfo& drive);
// Each folder the walk lists, with its entries (without "." and ".."), once the
// classic rules have looked at it and before its subfolders are walked.
using FolderVisit = std::function<void(const std::wstring& folder, const std::vector<FindData>& entries)>;

// Rule 5 with rules 3 and 4 on the root.
int WalkFolders(TScanThread& scan, const std::wstring& folder, const PdiskInfo& drive, bool recurse,
                const FolderVisit& visit = {});

// Gives the drive its set-aside autorun file back and excludes it from scanning.
void ExcludeDrive(const std::wstring& root);

// The drive part of a full path ("e:" or "\\server\share") followed by "\"; a
// path in the "\\?\" form has the root of the path it stands for.
std::wstring DriveRootOf(const std::wstring& path);

}  // namespace dw
