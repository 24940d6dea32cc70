// The settings file: DataFolder + "config\config.ini", read and written key by key
// through the profile functions, nothing cached.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace dw {

struct TSharedState;

inline constexpr wchar_t kSectionApp[] = L"app";
inline constexpr wchar_t kSectionScan[] = L"scan";
inline constexpr wchar_t kSectionAction[] = L"action";
inline constexpr wchar_t kSectionComputer[] = L"computer";
inline constexpr wchar_t kKeyLanguageId[] = L"languageId";
inline constexpr wchar_t kKeyEnable[] = L"enable";
inline constexpr wchar_t kKeyFirstRun[] = L"firstrun";
inline constexpr wchar_t kKeyAvoid[] = L"avoid";
inline constexpr wchar_t kKeyMenace[] = L"menace";
inline constexpr wchar_t kKeyRisk[] = L"risk";
inline constexpr wchar_t kKeyAntivirusCmdLine[] = L"AntivirusCmdLine";

// DataFolder + "config\config.ini".
std::wstring SettingsFilePath(const std::wstring& dataFolder);

// The text to write so that reading gives value back: the profile functions drop
// blanks at both ends and one pair of enclosing quotes, which would turn a command
// line such as "C:\AV\scan.exe" "%s" into C:\AV\scan.exe" "%s. Such values get one
// more pair of quotes; every other value is written as it is.
std::wstring ProtectedValue(const std::wstring& value);

// Parses an integer setting: decimal, or hexadecimal after "0x" or "$", with an
// optional sign; false for anything else (the caller then uses its default).
bool ParseSettingInteger(std::wstring_view text, int& value);

// The exclusion list's stored form ("C:\;e:\;") as the list's text, one root a
// line, and back.
std::wstring ExcludedDrivesText(const std::wstring& stored);
std::wstring StoredExcludedDrives(const std::wstring& listText);

class TSettingsFile {
 public:
  // Without profiles, every call goes through dw::Profiles() of the moment.
  explicit TSettingsFile(std::wstring fileName, ProfileFiles* profiles = nullptr);

  const std::wstring& FileName() const { return FFileName; }

  std::wstring ReadString(const std::wstring& section, const std::wstring& key, const std::wstring& defaultValue);
  int ReadInteger(const std::wstring& section, const std::wstring& key, int defaultValue);
  // Read as an integer: any value other than 0 is true.
  bool ReadBool(const std::wstring& section, const std::wstring& key, bool defaultValue);
  // False when the file could not be written (the caller goes on regardless).
  bool WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value);
  bool WriteInteger(const std::wstring& section, const std::wstring& key, int value);
  bool WriteBool(const std::wstring& section, const std::wstring& key, bool value);  // "1" or "0"

 private:
  ProfileFiles& Files();

  std::wstring FFileName;
  ProfileFiles* FProfiles;
};

// Loads the settings at control panel creation: ProtectionEnabled, ExcludedDrives
// (with the first-run rule), ThreatAction, RiskAction and AntivirusCommandLine,
// then puts the policies of the moment in force over them (state.Policies).
// Returns "languageId" as read, or as a policy holds it, for the language box and
// the language file.
int LoadSettings(TSharedState& state, TSettingsFile& settings);

// Writes every setting back at exit, in the file's fixed order. languageId is the
// language box's item index (-1 when nothing is selected). A setting that a
// policy holds keeps the user's own value in the file; languageId, which the
// file alone holds for the user, is then not written at all.
void SaveSettings(const TSharedState& state, TSettingsFile& settings, int languageId);

}  // namespace dw
