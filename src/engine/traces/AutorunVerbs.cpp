#include "engine/traces/AutorunVerbs.h"

#include "common/Text.h"
#include "platform/ProfileFile.h"

namespace dw {

namespace {

// "shell\<verb>\command", the verb one name without separators.
bool IsVerbCommandKey(std::wstring_view key) {
  const std::wstring lower = AsciiLower(key);
  constexpr std::wstring_view prefix = L"shell\\", suffix = L"\\command";
  if (lower.size() <= prefix.size() + suffix.size()) return false;
  if (lower.compare(0, prefix.size(), prefix) != 0) return false;
  if (lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
  std::wstring_view verb = std::wstring_view(lower).substr(prefix.size(), lower.size() - prefix.size() - suffix.size());
  return verb.find(L'\\') == std::wstring_view::npos;
}

}  // namespace

std::vector<std::wstring> AutorunVerbCommands(std::string_view bytes) {
  std::vector<std::wstring> commands;
  TProfileDocument document = TProfileDocument::Parse(bytes);
  for (const ProfileSection& section : document.sections) {
    if (AsciiLower(section.name) != L"autorun") continue;
    for (const ProfileKey& key : section.keys) {
      if (key.value && IsVerbCommandKey(key.name)) commands.push_back(ProfileCopyEntry(*key.value, 2048));
    }
    break;  // only the first section of the name counts, as for the other keys
  }
  return commands;
}

std::wstring CommandProgram(std::wstring_view command) {
  if (!command.empty() && command[0] == L'"') return std::wstring(command.substr(1, command.find(L'"', 1) - 1));
  return std::wstring(command.substr(0, command.find_first_of(L" \t")));
}

}  // namespace dw
