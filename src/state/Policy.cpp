#include "state/Policy.h"

#include <cstdint>
#include <functional>

#include "platform/Platform.h"
#include "state/Settings.h"
#include "state/SharedState.h"

namespace dw {

namespace {

using Validator = std::function<bool(const PolicyValue&)>;

// The machine's value when it is valid, else the user's when that one is: an
// unusable machine value does not hide a sound one set for the user.
std::optional<PolicyValue> HeldValue(const wchar_t* name, const Validator& valid) {
  for (PolicyScope scope : {PolicyScope::Machine, PolicyScope::User}) {
    std::optional<PolicyValue> value = Policies().Value(scope, name, kPolicyTextLimit);
    if (value && valid(*value)) return value;
  }
  return std::nullopt;
}

Validator NumberFrom(uint32_t low, uint32_t high) {
  return [low, high](const PolicyValue& value) {
    return value.type == PolicyValue::Type::Number && value.number >= low && value.number <= high;
  };
}

std::optional<int> HeldNumber(const wchar_t* name, uint32_t low, uint32_t high) {
  std::optional<PolicyValue> value = HeldValue(name, NumberFrom(low, high));
  if (!value) return std::nullopt;
  return static_cast<int>(value->number);
}

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

std::optional<std::wstring> HeldText(const wchar_t* name, const Validator& valid) {
  std::optional<PolicyValue> value = HeldValue(name, valid);
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

TPolicySet ReadPolicies() {
  TPolicySet set;
  if (std::optional<int> enable = HeldNumber(kKeyEnable, 0, 1)) set.Enable = *enable != 0;
  set.LanguageId = HeldNumber(kKeyLanguageId, 0, 1);
  set.ThreatAction = HeldNumber(kKeyMenace, Ask, Quarantine);
  set.RiskAction = HeldNumber(kKeyRisk, Ask, Quarantine);
  set.Avoid = HeldText(kKeyAvoid, IsDriveList);
  set.AntivirusCmdLine = HeldText(kKeyAntivirusCmdLine, IsPlainText);
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
