// The control panel's own window messages, sent to the real window as the shell,
// a second start and Windows send them.
#include <gtest/gtest.h>

#include "app/main1.h"
#include "loc/LangLocStrings.h"
#include "state/SharedState.h"
#include "support/ScopedProgramState.h"
#include "ui/Systray.h"
#include "ui/main.h"
#include "ui/win32/PanelWindow.h"

namespace dw::win32 {
namespace {

class PanelWindowTest : public testing::Test {
 protected:
  PanelWindowTest() { State().AutoPlayQueryMessage = RegisterWindowMessageW(L"QueryCancelAutoPlay"); }
  // As in forms_window_test.cpp: windows need a display, which e2e.py gives.
  void SetUp() override {
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
    ASSERT_TRUE(window.Create());
  }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(window.Handle(), message, wParam, lParam);
  }

  test::ScopedProgramState programState;
  int endSessions = 0;
  int deviceChanges = 0;
  TPanelfrm panel;
  TPanelWindow window{
      panel, {.EndSession = [this] { ++endSessions; }, .DeviceChange = [this](WPARAM, LPARAM) { ++deviceChanges; }}};
};

TEST_F(PanelWindowTest, IsFoundAsARunningInstanceIsLookedFor) {
  EXPECT_EQ(FindWindowW(kPanelClassName, L"Drivewarden"), window.Handle());
  EXPECT_TRUE(GetWindowLongW(window.Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_TRUE(GetWindowLongW(window.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
}

TEST_F(PanelWindowTest, AutoPlayIsCancelledExactlyWhileProtectionIsOn) {
  State().ProtectionEnabled = true;
  EXPECT_EQ(Send(State().AutoPlayQueryMessage), 1);
  State().ProtectionEnabled = false;
  EXPECT_EQ(Send(State().AutoPlayQueryMessage), 0);
}

TEST_F(PanelWindowTest, ASecondStartsRequestShowsThePanel) {
  Send(kShowPanelMessage);
  EXPECT_TRUE(panel.Visible());
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
}

TEST_F(PanelWindowTest, TrayClicksShowThePanelAndDoubleClicksRestoreIt) {
  Send(kTrayCallbackMessage, 1, WM_MOUSEMOVE);
  Send(kTrayCallbackMessage, 1, WM_LBUTTONDOWN);
  EXPECT_FALSE(panel.Visible()) << "only a released button or a double click acts";
  Send(kTrayCallbackMessage, 1, WM_LBUTTONUP);
  EXPECT_TRUE(panel.Visible());

  panel.SetWindowState(TWindowState::Minimized);
  EXPECT_TRUE(IsIconic(window.Handle()));
  Send(kTrayCallbackMessage, 1, WM_RBUTTONDBLCLK);
  EXPECT_EQ(panel.WindowState(), TWindowState::Normal);
  EXPECT_FALSE(IsIconic(window.Handle()));
}

TEST_F(PanelWindowTest, TheEndOfTheSessionIsAnOrderlyExit) {
  EXPECT_EQ(Send(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_EQ(endSessions, 0);
  Send(WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(endSessions, 0) << "the end was cancelled";
  Send(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(endSessions, 1);
}

TEST_F(PanelWindowTest, DeviceChangesReachTheirHandler) {
  Send(WM_DEVICECHANGE, 0x8000, 0);
  EXPECT_EQ(deviceChanges, 1);
}

TEST_F(PanelWindowTest, TheModelsWindowIconFollowsTheState) {
  panel.SetIconIndex(kImageFindings);
  EXPECT_NE(Send(WM_GETICON, ICON_SMALL), 0);
  EXPECT_NE(Send(WM_GETICON, ICON_BIG), 0);
}

}  // namespace
}  // namespace dw::win32
