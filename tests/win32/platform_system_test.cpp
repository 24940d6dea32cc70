#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/win32/Win32System.h"

namespace dw {
namespace {

SYSTEMTIME Moment(WORD hour, WORD minute, WORD second) {
  SYSTEMTIME moment = {};
  moment.wYear = 2026;
  moment.wMonth = 12;
  moment.wDay = 10;
  moment.wHour = hour;
  moment.wMinute = minute;
  moment.wSecond = second;
  return moment;
}

TEST(Win32System, DateAndTimeInTheUserFormatsWithoutTimeAtMidnight) {
  std::wstring midnight = FormatDateTime(Moment(0, 0, 0));
  std::wstring afternoon = FormatDateTime(Moment(14, 3, 7));
  ASSERT_FALSE(midnight.empty());
  EXPECT_EQ(midnight.find(L' '), std::wstring::npos);
  // The same date, then a blank and the time.
  EXPECT_EQ(afternoon.substr(0, midnight.size() + 1), midnight + L" ");
  EXPECT_NE(afternoon.find(L"03"), std::wstring::npos);
  EXPECT_NE(FormatDateTime(Moment(0, 0, 1)), midnight);
}

TEST(Win32System, OwnerWindowsAreNullUntilRegistered) {
  EXPECT_EQ(OwnerWindowHandle(OwnerWindow::Application), nullptr);
  HWND fake = reinterpret_cast<HWND>(0x1234);
  SetOwnerWindow(OwnerWindow::Application, fake);
  EXPECT_EQ(OwnerWindowHandle(OwnerWindow::Application), fake);
  EXPECT_EQ(OwnerWindowHandle(OwnerWindow::ControlPanel), nullptr);
  SetOwnerWindow(OwnerWindow::Application, nullptr);
}

TEST(Win32System, ProgramFolderHoldsTheRunningProgram) {
  std::wstring folder = Sys().ProgramFolder();
  EXPECT_NE(Fs().Attributes(folder + L"dw_win32_tests.exe"), kInvalidAttributes);
}

TEST(Win32System, UserNameMatchesTheSystem) {
  wchar_t name[256] = {};
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(name, &size));
  EXPECT_EQ(Sys().UserName(), std::wstring(name));
}

}  // namespace
}  // namespace dw
