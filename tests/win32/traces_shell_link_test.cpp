// Today's worms make their shortcuts with the Shell link object, on the PC they
// came from: such a shortcut, with cmd.exe and its payload past the 260
// characters that the Shell's getters return, is caught on Windows too.
#include <gtest/gtest.h>

#include <objbase.h>
#include <windows.h>

#include <string>

#include "common/Text.h"
#include "support/ScanHarness.h"
#include "support/win32/ShellLinkWriter.h"

namespace dw::test {
namespace {

class ComOnThisThread {
 public:
  ComOnThisThread() { initialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
  ~ComOnThisThread() {
    if (initialised_) CoUninitialize();
  }

 private:
  bool initialised_ = false;
};

std::wstring SystemProgram(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder, length) + L"\\" + name;
}

TEST(ShellMadeShortcuts, APaddedCmdShortcutAndItsPayloadAreFound) {
  ComOnThisThread com;
  DriveFixture drive;
  ScanHarness h;
  drive.WriteFile(L"Report.pdf", "the user's", kAttrHidden);
  drive.WriteFile(L"~$run.cmd", "@echo off\r\nrem SIMULATED payload, harmless\r\n", kAttrHidden);
  ShellLinkSettings settings;
  settings.target = SystemProgram(L"cmd.exe");
  // What the Properties dialog shows is blanks; the command comes after them.
  settings.arguments = std::wstring(300, L' ') + L"\r\n\r\n/c start ~$run.cmd&start Report.pdf&exit";
  settings.showCmd = SW_SHOWMINNOACTIVE;
  settings.iconPath = L"%SystemRoot%\\System32\\imageres.dll";
  settings.iconIndex = -102;
  ASSERT_TRUE(SaveWithShell(drive.Path(L"Report.pdf.lnk"), settings));

  h.Scan(h.Drive(drive));

  const std::wstring shortcut = drive.Path(L"Report.pdf.lnk");
  const std::optional<TFindingWhy> why = State().FindingReasons.Get(Threat, shortcut);
  ASSERT_TRUE(why.has_value()) << "the shortcut was not found";
  EXPECT_EQ(RuleId(why->why), "interpreter-shortcut");
  EXPECT_EQ(why->detail, L"cmd.exe");
  const std::optional<TFindingWhy> payload = State().FindingReasons.Get(Suspicious, drive.Path(L"~$run.cmd"));
  ASSERT_TRUE(payload.has_value()) << "the payload was not found";
  EXPECT_EQ(payload->why, Why::InterpreterPayload);
  // The document the shortcut opens to look harmless is the user's.
  EXPECT_FALSE(State().FindingReasons.Get(drive.Path(L"Report.pdf")).has_value());
  EXPECT_EQ(drive.Read(L"Report.pdf"), "the user's");
}

}  // namespace
}  // namespace dw::test
