// What the organisation holds, on the control panel: each setting a policy holds
// is greyed out with a hint that says so, and the options page tells it in a line.
#include "loc/LangLocStrings.h"
#include "state/Policy.h"
#include "state/SharedState.h"
#include "ui/main.h"

namespace dw {

void TPanelfrm::RefreshPolicies() {
  if (std::optional<bool> protection = ApplyPolicies(State(), ReadPolicies())) {
    if (*protection) {
      EnableProtection();
    } else {
      DisableProtection();
    }
  }
  ShowHeldSettings();
}

void TPanelfrm::ShowHeldSettings() {
  const TPolicySet& held = State().Policies;
  const std::pair<const wchar_t*, bool> options[] = {
      {L"lang", held.LanguageId.has_value()},     {L"a_menace", held.ThreatAction.has_value()},
      {L"a_risk", held.RiskAction.has_value()},   {L"ListView5", held.Avoid.has_value()},
      {L"btexcludeDisk", held.Avoid.has_value()}, {L"antiviruscmd_txt", held.AntivirusCmdLine.has_value()},
  };
  for (const auto& [name, isHeld] : options) {
    TComponent& control = Component(name);
    MarkHeld(control, isHeld);
    control.SetEnabled(!isHeld);
  }
  // The switch stays clickable: a click says why it does not turn.
  MarkHeld(Component(L"cprotectionControl"), held.Enable.has_value());

  TComponent& note = Component(L"IpolicyNote");
  note.SetCaption(MsgSetByOrganisation);
  note.SetVisible(held.HoldsAnOption());
}

// The hint a control had before a policy took hold comes back when it lets go:
// it may be a translated one.
void TPanelfrm::MarkHeld(TComponent& control, bool held) {
  auto own = FOwnHints.find(control.Name());
  if (held) {
    if (own == FOwnHints.end()) FOwnHints.emplace(control.Name(), control.Hint());
    control.SetHint(MsgSetByOrganisation);
  } else if (own != FOwnHints.end()) {
    control.SetHint(own->second);
    FOwnHints.erase(own);
  }
}

}  // namespace dw
