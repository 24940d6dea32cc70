// The tray icon's record as this build lays it out. It needs no window, so it runs
// in the plain test run rather than with the window tests.
#include <gtest/gtest.h>

#include "ui/win32/Win32Ui.h"

namespace dw::win32 {
namespace {

TEST(TrayIconRecord, IsTheStructureOfThisBuild) {
  // The shell checks cbSize; the 64-bit structure has 976 bytes.
  EXPECT_EQ(sizeof(NOTIFYICONDATAW), sizeof(void*) == 8 ? 976u : 956u);
}

}  // namespace
}  // namespace dw::win32
