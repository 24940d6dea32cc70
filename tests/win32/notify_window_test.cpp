// The notification pop-up's real window: a borderless tool window on top in the
// corner of the work area, coloured by the message, with clicks on its "x" and on
// its panel and the system commands reaching the model.
#include <gtest/gtest.h>

#include "ui/usbnotify.h"
#include "ui/win32/NotifyWindow.h"

namespace dw::win32 {
namespace {

class NotifyWindowTest : public testing::Test {
 protected:
  // As in forms_window_test.cpp: windows need a display, which e2e.py gives.
  void SetUp() override {
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
    ASSERT_TRUE(window.Create());
  }

  HWND Handle() const { return window.Handle(); }
  // A left click released at a point of the pop-up's layout (pixels at 96 dpi).
  void ClickAt(int x, int y) {
    HWND panel = window.ComponentWindow(L"Panel1");
    SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(window.Dpi().Scale(x), window.Dpi().Scale(y)));
  }
  // The colour of an empty spot between the labels, as painted.
  COLORREF Background() {
    HWND panel = window.ComponentWindow(L"Panel1");
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDC(panel);
    COLORREF color = GetPixel(dc, window.Dpi().Scale(120), window.Dpi().Scale(74));
    ReleaseDC(panel, dc);
    return color;
  }

  TForm controlPanel{TFormStyle{}};
  TForm3 popup{controlPanel};
  TNotifyWindow window{popup};
};

TEST_F(NotifyWindowTest, IsABorderlessToolWindowOnTopWithoutATaskbarButton) {
  wchar_t className[32] = {};
  GetClassNameW(Handle(), className, 32);
  EXPECT_STREQ(className, L"TForm3");
  LONG style = GetWindowLongW(Handle(), GWL_STYLE);
  LONG exStyle = GetWindowLongW(Handle(), GWL_EXSTYLE);
  EXPECT_TRUE(static_cast<DWORD>(style) & WS_POPUP);
  EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
  HWND owner = GetWindow(Handle(), GW_OWNER);
  ASSERT_NE(owner, nullptr) << "an owned window has a taskbar button on no taskbar";
  EXPECT_FALSE(IsWindowVisible(owner));
  RECT client{};
  GetClientRect(Handle(), &client);
  EXPECT_EQ(client.right, window.Dpi().Scale(237));
  EXPECT_EQ(client.bottom, window.Dpi().Scale(128));
  EXPECT_FALSE(IsWindowVisible(Handle()));
}

TEST_F(NotifyWindowTest, ComesUpInTheWorkAreasCornerInTheMessagesColour) {
  popup.AddNotification(L"Alerte", L"Drivewarden a été désactivé", 1);
  ASSERT_TRUE(IsWindowVisible(Handle()));
  RECT work{}, rect{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(Handle(), &rect);
  EXPECT_EQ(rect.right, work.right);
  EXPECT_EQ(rect.bottom, work.bottom);
  EXPECT_EQ(Background(), kAlertColor);

  popup.Timer1Timer(popup.Component(L"Timer1"));  // the period is over: the queue is empty
  EXPECT_FALSE(IsWindowVisible(Handle()));
  popup.AddNotification(L"Bienvenu !", L"Merci", 0);
  ASSERT_TRUE(IsWindowVisible(Handle()));
  EXPECT_EQ(Background(), kNoticeColor);
}

TEST_F(NotifyWindowTest, TheCloseButtonHidesAndAClickElsewhereShowsTheControlPanel) {
  popup.AddNotification(L"One", L"first", 0);
  popup.AddNotification(L"Two", L"second", 0);
  ClickAt(220, 10);  // the "x"
  EXPECT_FALSE(IsWindowVisible(Handle()));
  EXPECT_FALSE(popup.Component(L"Timer1").Enabled());
  EXPECT_FALSE(controlPanel.Visible());

  popup.AddNotification(L"Three", L"third", 0);
  ASSERT_TRUE(IsWindowVisible(Handle()));
  ClickAt(100, 100);  // on the message text, which has no click of its own
  EXPECT_FALSE(IsWindowVisible(Handle()));
  EXPECT_TRUE(controlPanel.Visible());
  EXPECT_TRUE(popup.Component(L"Timer1").Enabled());
}

TEST_F(NotifyWindowTest, MinimizeHidesAndTheNextMessageComesUpNormally) {
  popup.AddNotification(L"One", L"first", 0);
  EXPECT_EQ(SendMessageW(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
  EXPECT_FALSE(IsWindowVisible(Handle()));
  popup.Label4Click(popup.Component(L"Label4"));
  popup.AddNotification(L"Two", L"second", 0);
  EXPECT_TRUE(IsWindowVisible(Handle()));
  EXPECT_FALSE(IsIconic(Handle()));
}

}  // namespace
}  // namespace dw::win32
