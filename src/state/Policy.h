// The settings that an organisation holds through Group Policy or an MDM: values
// under Software\Policies\Drivewarden, the machine's over the user's, each named
// as the settings file's key whose place it takes. A value that is not of its
// type and range holds nothing, and the settings file rules for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace dw {

struct TSharedState;

// The longest text a policy may hold: the longest the settings file gives back.
inline constexpr size_t kPolicyTextLimit = 2047;

// Every value the program reads, with what makes it valid: a number (REG_DWORD)
// from Low to High, a text (REG_SZ) of at most kPolicyTextLimit characters
// without control characters, or such a text in the exclusion list's form.
enum class PolicyKind { Number, Text, DriveList };
struct TPolicyDefinition {
  const wchar_t* Name;
  PolicyKind Kind;
  uint32_t Low = 0, High = 0;
};
std::span<const TPolicyDefinition> PolicyDefinitions();

// What the policies hold; an empty member is a setting left to the user.
struct TPolicySet {
  std::optional<bool> Enable{};                    // "enable", REG_DWORD 0 or 1
  std::optional<int> LanguageId{};                 // "languageId", REG_DWORD 0 or 1
  std::optional<int> ThreatAction{};               // "menace", REG_DWORD 0 to 2
  std::optional<int> RiskAction{};                 // "risk", REG_DWORD 0 to 2
  std::optional<std::wstring> Avoid{};             // "avoid", REG_SZ roots each followed by ";"
  std::optional<std::wstring> AntivirusCmdLine{};  // "AntivirusCmdLine", REG_SZ

  // Whether a setting of the options page is held.
  bool HoldsAnOption() const { return LanguageId || ThreatAction || RiskAction || Avoid || AntivirusCmdLine; }
  bool operator==(const TPolicySet&) const = default;
};

// The user's own values of the settings that a policy holds, kept aside from the
// moment it took hold: they are what the settings file keeps, and what the
// settings return to when the policy goes.
struct TOwnSettings {
  bool Enable = true;
  int ThreatAction = 0;
  int RiskAction = 0;
  std::wstring ExcludedDrives;  // the list's text, one root a line
  std::wstring AntivirusCmdLine;
};

// Reads every policy value through Policies() and keeps those that are valid.
TPolicySet ReadPolicies();

// Puts policies in force on the shared state: a setting a policy takes hold of
// gets the policy's value, its user's own put aside; a setting a policy lets go
// gets the user's own value back. The protection switch is left to the caller,
// which gets the state protection must be switched to when that changes.
std::optional<bool> ApplyPolicies(TSharedState& state, const TPolicySet& policies);

}  // namespace dw
