// Disposal of findings: a verified copy goes to the quarantine, then the file leaves
// the drive, then the lists forget it.
#pragma once

#include <string>

#include "engine/scanthread.h"

namespace dw {

// Clears read-only, hidden and system, then deletes; asks for elevation when the
// file is still there. True when the file is gone.
bool ForceDelete(const std::wstring& path);
DisposeResult DeleteFinding(const std::wstring& path);
// DeleteFinding, then the findings view is rebuilt on the window thread.
DisposeResult QuarantineFinding(const std::wstring& path);
// Takes path out of ThreatList and RiskList.
void ForgetFinding(const std::wstring& path);

}  // namespace dw
