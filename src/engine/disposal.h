// Disposal of findings: a verified copy goes to the quarantine, then the file leaves
// the drive, then the lists forget it.
#pragma once

#include <optional>
#include <string>

#include "engine/scanthread.h"

namespace dw {

// Clears read-only, hidden and system, then deletes; asks for elevation when the
// file is still there. True when the file is gone.
bool ForceDelete(const std::wstring& path);
// One disposal of a path at a time, whoever asks (a scan's automatic action, the
// user's command): a second one waits, then finds the file gone instead of
// failing to delete a file that the first still holds open.
DisposeResult DeleteFinding(const std::wstring& path);
// DeleteFinding for a path that ThreatList or RiskList still holds once its turn
// comes; nothing when neither does (another disposal dealt with it, and said so).
std::optional<DisposeResult> DeleteListedFinding(const std::wstring& path);
// DeleteFinding, then the findings view is rebuilt on the window thread.
DisposeResult QuarantineFinding(const std::wstring& path);
// Takes path out of ThreatList and RiskList.
void ForgetFinding(const std::wstring& path);
// Whether the drive of path is no longer there (pulled out), which leaves its files
// out of reach rather than gone.
bool FindingDriveGone(const std::wstring& path);
// Takes every finding on root out of ThreatList, RiskList, FindingsSeen and the
// drive records' lists: a drive that left is no longer in front of the user.
// Window thread only (FindingsSeen follows the findings view). The paths dropped.
std::vector<std::wstring> ForgetDriveFindings(const std::wstring& root);

}  // namespace dw
