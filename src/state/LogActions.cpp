#include "state/LogActions.h"

#include "loc/LangLocStrings.h"

namespace dw {

namespace {

using E = EventLevel;

// clang-format off
const TLogAction kActions[] = {
    {L"Menace/threat", &MsgLogActThreat, kEventDetection, E::Warning},
    {L"Menace/riskFile", &MsgLogActRiskFile, kEventDetection, E::Warning},
    {L"Menace/threatNoMore", &MsgLogActThreatNoMore, kEventNone, E::Information},
    {L"Menace/riskFileNoMore", &MsgLogActRiskFileNoMore, kEventNone, E::Information},
    {L"Menace/driveRemoved", &MsgLogActDriveRemoved, kEventNone, E::Information},
    {L"delete/threat", &MsgLogActDeleteThreat, kEventDisposed, E::Information},
    {L"delete/riskFile", &MsgLogActDeleteRiskFile, kEventDisposed, E::Information},
    {L"delete/AutoAction", &MsgLogActDeleteAuto, kEventDisposed, E::Information},
    {L"quarantine/AutoAction", &MsgLogActQuarantineAuto, kEventDisposed, E::Information},
    {L"delete/failed", &MsgLogActDeleteFailed, kEventDisposeFailed, E::Error},
    {L"quarantine/failed", &MsgLogActQuarantineFailed, kEventDisposeFailed, E::Error},
    {L"delete/missing", &MsgLogActDeleteMissing, kEventNone, E::Information},
    {L"delete/driveGone", &MsgLogActDeleteDriveGone, kEventNone, E::Information},
    {L"quarantineErase", &MsgLogActQuarantineErase, kEventQuarantineErased, E::Information},
    {L"quarantineErase/failed", &MsgLogActQuarantineEraseFailed, kEventQuarantineEraseFailed, E::Error},
    {L"quarantineEmptied", &MsgLogActQuarantineEmptied, kEventQuarantineErased, E::Information},
    {L"quarantineRestoreTo", &MsgLogActRestore, kEventRestored, E::Information},
    {L"quarantineRestoreTo/failed", &MsgLogActRestoreFailed, kEventRestoreFailed, E::Error},
    {L"error msg", &MsgLogActError, kEventNone, E::Information},
    {L"scan/start", &MsgLogActScanStart, kEventNone, E::Information},
    {L"scan/end", &MsgLogActScanEnd, kEventNone, E::Information},
    {L"scan/stopped", &MsgLogActScanStopped, kEventNone, E::Information},
    {L"scan/incomplete", &MsgLogActScanIncomplete, kEventNone, E::Information},
    {L"repair/start", &MsgLogActRepairStart, kEventRepairStarted, E::Information},
    {L"repair/end", &MsgLogActRepairEnd, kEventRepairDone, E::Information},
    {L"repair/incomplete", &MsgLogActRepairIncomplete, kEventRepairIncomplete, E::Warning},
    // A finding the repair put away is disposed of as any other.
    {L"repair/quarantined", &MsgLogActRepairQuarantined, kEventDisposed, E::Information},
    {L"repair/moved", &MsgLogActRepairMoved, kEventNone, E::Information},
    {L"repair/unhidden", &MsgLogActRepairUnhidden, kEventNone, E::Information},
    {L"repair/removed", &MsgLogActRepairRemoved, kEventNone, E::Information},
    {L"repair/kept", &MsgLogActRepairKept, kEventNone, E::Information},
    {L"repair/failed", &MsgLogActRepairFailed, kEventRepairStepFailed, E::Error},
    {L"protection/on", &MsgLogActProtectionOn, kEventProtectionOn, E::Information},
    {L"protection/off", &MsgLogActProtectionOff, kEventProtectionOff, E::Warning},
    {L"elevation/request", &MsgLogActElevation, kEventElevationRequested, E::Information},
    {L"elevation/failed", &MsgLogActElevationFailed, kEventElevationFailed, E::Error},
};
// clang-format on

bool IsLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

}  // namespace

std::span<const TLogAction> LogActions() { return kActions; }

const TLogAction* FindLogAction(std::wstring_view word) {
  for (const TLogAction& action : kActions) {
    if (word == action.Word) return &action;
  }
  return nullptr;
}

std::wstring LogActionText(std::wstring_view word) {
  const TLogAction* action = FindLogAction(word);
  return action ? *action->Text : std::wstring(word);
}

std::wstring TargetDrive(std::wstring_view target) {
  if (target.size() < 3 || !IsLetter(target[0]) || target[1] != L':' || target[2] != L'\\') return {};
  const wchar_t letter = target[0] >= L'a' ? static_cast<wchar_t>(target[0] - L'a' + L'A') : target[0];
  return std::wstring{letter, L':', L'\\'};
}

void ReportLoggedEvent(std::wstring_view word, const std::wstring& target) {
  const TLogAction* action = FindLogAction(word);
  if (!action || action->EventId == kEventNone) return;
  Events().Report(action->Level, action->EventId, {target, TargetDrive(target)});
}

}  // namespace dw
