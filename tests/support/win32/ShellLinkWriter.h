// Shortcuts written by the Shell link object itself, as a user or a worm on the
// PC makes them (COM must be initialised on the calling thread).
#pragma once

#include <cstdint>
#include <string>

namespace dw::test {

struct ShellLinkSettings {
  std::wstring target;
  std::wstring arguments;
  std::wstring workingDirectory;
  std::wstring description;
  std::wstring iconPath;
  int iconIndex = 0;
  int showCmd = 1;  // SW_SHOWNORMAL
  uint16_t hotKey = 0;
};

// Saves the shortcut at lnk; false when the Shell refuses a step.
bool SaveWithShell(const std::wstring& lnk, const ShellLinkSettings& settings);

}  // namespace dw::test
