#include "state/Settings.h"

#include <climits>
#include <cstdint>

#include "state/Policy.h"
#include "state/SharedState.h"

namespace dw {

namespace {

int DigitValue(wchar_t c, int base) {
  int v = -1;
  if (c >= L'0' && c <= L'9')
    v = c - L'0';
  else if (c >= L'a' && c <= L'f')
    v = c - L'a' + 10;
  else if (c >= L'A' && c <= L'F')
    v = c - L'A' + 10;
  return v < base ? v : -1;
}

std::wstring ReplaceAll(std::wstring text, std::wstring_view from, std::wstring_view to) {
  size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::wstring::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

bool IsProfileBlank(wchar_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

}  // namespace

std::wstring ProtectedValue(const std::wstring& value) {
  if (value.empty()) return value;
  bool enclosed =
      value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front();
  bool blankEnds = IsProfileBlank(value.front()) || IsProfileBlank(value.back());
  return enclosed || blankEnds ? L"\"" + value + L"\"" : value;
}

std::wstring ExcludedDrivesText(const std::wstring& stored) { return ReplaceAll(stored, L";", L"\r\n"); }

std::wstring StoredExcludedDrives(const std::wstring& listText) { return ReplaceAll(listText, L"\r\n", L";"); }

std::wstring SettingsFilePath(const std::wstring& dataFolder) { return dataFolder + L"config\\config.ini"; }

bool ParseSettingInteger(std::wstring_view text, int& value) {
  bool negative = false;
  if (!text.empty() && (text[0] == L'-' || text[0] == L'+')) {
    negative = text[0] == L'-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() >= 1 && text[0] == L'$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  // Hexadecimal covers all 32 bits ($FFFFFFFF is -1); decimal must fit an int.
  const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  uint64_t magnitude = 0;
  for (wchar_t c : text) {
    int digit = DigitValue(c, base);
    if (digit < 0) return false;
    magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (magnitude > limit) return false;
  }
  auto bits = static_cast<uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  value = static_cast<int32_t>(bits);
  return true;
}

TSettingsFile::TSettingsFile(std::wstring fileName, ProfileFiles* profiles)
    : FFileName(std::move(fileName)), FProfiles(profiles) {}

ProfileFiles& TSettingsFile::Files() { return FProfiles ? *FProfiles : Profiles(); }

std::wstring TSettingsFile::ReadString(const std::wstring& section, const std::wstring& key,
                                       const std::wstring& defaultValue) {
  return Files().ReadString(FFileName, section, key, defaultValue, 2048);
}

int TSettingsFile::ReadInteger(const std::wstring& section, const std::wstring& key, int defaultValue) {
  int value = 0;
  return ParseSettingInteger(ReadString(section, key, L""), value) ? value : defaultValue;
}

bool TSettingsFile::ReadBool(const std::wstring& section, const std::wstring& key, bool defaultValue) {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TSettingsFile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  return Files().WriteString(FFileName, section, key, ProtectedValue(value));
}

bool TSettingsFile::WriteInteger(const std::wstring& section, const std::wstring& key, int value) {
  return WriteString(section, key, std::to_wstring(value));
}

bool TSettingsFile::WriteBool(const std::wstring& section, const std::wstring& key, bool value) {
  return WriteString(section, key, value ? L"1" : L"0");
}

int LoadSettings(TSharedState& state, TSettingsFile& settings) {
  int languageId = settings.ReadInteger(kSectionApp, kKeyLanguageId, 0);
  state.ProtectionEnabled = settings.ReadBool(kSectionApp, kKeyEnable, true);

  state.ExcludedDrives.SetText(ExcludedDrivesText(settings.ReadString(kSectionScan, kKeyAvoid, L"")));
  if (state.ExcludedDrives.Text().empty() && settings.ReadBool(kSectionApp, kKeyFirstRun, true)) {
    std::wstring system = Sys().SystemDirectory();
    // Without a drive part (the call failed) there is no root to exclude.
    if (system.size() >= 2 && system[1] == L':') state.ExcludedDrives.Add(system.substr(0, 2) + L"\\");
  }

  state.ThreatAction = settings.ReadInteger(kSectionAction, kKeyMenace, 0);
  state.RiskAction = settings.ReadInteger(kSectionAction, kKeyRisk, 0);
  state.AntivirusCommandLine = settings.ReadString(kSectionComputer, kKeyAntivirusCmdLine, L"");

  // What the file gave is the user's own; the policies of a previous load do not count.
  state.Policies = TPolicySet{};
  if (std::optional<bool> protection = ApplyPolicies(state, ReadPolicies())) state.ProtectionEnabled = *protection;
  return state.Policies.LanguageId.value_or(languageId);
}

void SaveSettings(const TSharedState& state, TSettingsFile& settings, int languageId) {
  const TPolicySet& held = state.Policies;
  const TOwnSettings& own = state.OwnSettings;
  settings.WriteBool(kSectionApp, kKeyEnable, held.Enable ? own.Enable : state.ProtectionEnabled.load());
  settings.WriteString(kSectionComputer, kKeyAntivirusCmdLine,
                       held.AntivirusCmdLine ? own.AntivirusCmdLine : state.AntivirusCommandLine);
  settings.WriteInteger(kSectionAction, kKeyMenace, held.ThreatAction ? own.ThreatAction : state.ThreatAction.load());
  settings.WriteInteger(kSectionAction, kKeyRisk, held.RiskAction ? own.RiskAction : state.RiskAction.load());
  settings.WriteBool(kSectionApp, kKeyFirstRun, false);
  if (!held.LanguageId) settings.WriteInteger(kSectionApp, kKeyLanguageId, languageId);
  settings.WriteString(kSectionScan, kKeyAvoid,
                       StoredExcludedDrives(held.Avoid ? own.ExcludedDrives : state.ExcludedDrives.Text()));
}

}  // namespace dw
