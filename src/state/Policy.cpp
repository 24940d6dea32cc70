#include "state/Policy.h"

#include <cstdint>

#include "platform/Platform.h"
#include "state/Settings.h"
#include "state/SharedState.h"

namespace dw {

namespace {

enum : size_t { kEnable, kLanguage, kMenace, kRisk, kAvoid, kAntivirus };

const TPolicyDefinition kDefinitions[] = {
    {kKeyEnable, PolicyKind::Number, 0, 1},
    {kKeyLanguageId, PolicyKind::Number, 0, 1},
    {kKeyMenace, PolicyKind::Number, Ask, Quarantine},
    {kKeyRisk, PolicyKind::Number, Ask, Quarantine},
    {kKeyAvoid, PolicyKind::DriveList},
    {kKeyAntivirusCmdLine, PolicyKind::Text},
};

// Line breaks would split the excluded drives elsewhere than at ";" and have no
// place in a command line: a text holding any control character is refused.
bool IsPlainText(const PolicyValue& value) {
  if (value.type != PolicyValue::Type::Text || value.text.size() > kPolicyTextLimit) return false;
  for (wchar_t c : value.text) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

bool IsDriveRoot(std::wstring_view piece) {
  if (piece.size() != 3 || piece[1] != L':' || piece[2] != L'\\') return false;
  const wchar_t letter = piece[0];
  return (letter >= L'a' && letter <= L'z') || (letter >= L'A' && letter <= L'Z');
}

// The settings file's form, each piece a drive root; empty pieces are empty
// entries there and harmless here.
bool IsDriveList(const PolicyValue& value) {
  if (!IsPlainText(value)) return false;
  std::wstring_view rest = value.text;
  while (!rest.empty()) {
    const size_t end = rest.find(L';');
    const std::wstring_view piece = rest.substr(0, end);
    if (!piece.empty() && !IsDriveRoot(piece)) return false;
    if (end == std::wstring_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return true;
}

bool IsValid(const TPolicyDefinition& definition, const PolicyValue& value) {
  switch (definition.Kind) {
    case PolicyKind::Number:
      return value.type == PolicyValue::Type::Number && value.number >= definition.Low &&
             value.number <= definition.High;
    case PolicyKind::Text: return IsPlainText(value);
    case PolicyKind::DriveList: return IsDriveList(value);
  }
  return false;
}

// The machine's value when it is valid, else the user's when that one is: an
// unusable machine value does not hide a sound one set for the user.
std::optional<PolicyValue> HeldValue(size_t which) {
  const TPolicyDefinition& definition = kDefinitions[which];
  for (PolicyScope scope : {PolicyScope::Machine, PolicyScope::User}) {
    std::optional<PolicyValue> value = Policies().Value(scope, definition.Name, kPolicyTextLimit);
    if (value && IsValid(definition, *value)) return value;
  }
  return std::nullopt;
}

std::optional<int> HeldNumber(size_t which) {
  std::optional<PolicyValue> value = HeldValue(which);
  if (!value) return std::nullopt;
  return static_cast<int>(value->number);
}

std::optional<std::wstring> HeldText(size_t which) {
  std::optional<PolicyValue> value = HeldValue(which);
  if (!value) return std::nullopt;
  return std::move(value->text);
}

// The value a setting takes: the policy's while one holds it; when it has just
// taken hold, the current value is the user's own and is put aside first; when
// the policy has let go, the user's own value comes back.
template <typename T>
T Settle(const std::optional<T>& policy, bool wasHeld, T& own, const T& current) {
  if (policy) {
    if (!wasHeld) own = current;
    return *policy;
  }
  return wasHeld ? own : current;
}

}  // namespace

std::span<const TPolicyDefinition> PolicyDefinitions() { return kDefinitions; }

TPolicySet ReadPolicies() {
  TPolicySet set;
  if (std::optional<int> enable = HeldNumber(kEnable)) set.Enable = *enable != 0;
  set.LanguageId = HeldNumber(kLanguage);
  set.ThreatAction = HeldNumber(kMenace);
  set.RiskAction = HeldNumber(kRisk);
  set.Avoid = HeldText(kAvoid);
  set.AntivirusCmdLine = HeldText(kAntivirus);
  return set;
}

std::optional<bool> ApplyPolicies(TSharedState& state, const TPolicySet& policies) {
  const TPolicySet held = state.Policies;
  TOwnSettings& own = state.OwnSettings;
  state.Policies = policies;

  state.ThreatAction =
      Settle(policies.ThreatAction, held.ThreatAction.has_value(), own.ThreatAction, state.ThreatAction.load());
  state.RiskAction = Settle(policies.RiskAction, held.RiskAction.has_value(), own.RiskAction, state.RiskAction.load());
  state.AntivirusCommandLine = Settle(policies.AntivirusCmdLine, held.AntivirusCmdLine.has_value(),
                                      own.AntivirusCmdLine, state.AntivirusCommandLine);
  if (policies.Avoid || held.Avoid) {
    std::optional<std::wstring> list;
    if (policies.Avoid) list = ExcludedDrivesText(*policies.Avoid);
    state.ExcludedDrives.SetText(Settle(list, held.Avoid.has_value(), own.ExcludedDrives, state.ExcludedDrives.Text()));
  }

  const bool protection = state.ProtectionEnabled;
  const bool wanted = Settle(policies.Enable, held.Enable.has_value(), own.Enable, protection);
  if (wanted == protection) return std::nullopt;
  return wanted;
}

}  // namespace dw
