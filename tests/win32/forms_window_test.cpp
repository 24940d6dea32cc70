// The forms renderer with real windows: what it creates from a layout, how the
// model's changes reach the windows, and how the user's actions reach the model
// (written first) and then the events.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/forms.h"
#include "support/CaughtCheck.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/Pictures.h"

namespace dw::win32 {
namespace {

using K = TComponentKind;

const std::vector<TLayoutRow>& Layout() {
  static const std::vector<TLayoutRow> layout = {
      {.Name = L"Band", .Kind = K::Shape, .Place = {0, 0, 200, 20}, .Color = kClWhite},
      {.Name = L"Title", .Kind = K::Label, .Place = {4, 4}, .Caption = L"Hello"},
      {.Name = L"Go", .Kind = K::Button, .Place = {10, 30, 80, 25}, .Caption = L"Go", .Hint = L"Runs it"},
      {.Name = L"Name", .Kind = K::Edit, .Place = {10, 60, 120, 21}},
      {.Name = L"Choice", .Kind = K::ComboBox, .Place = {10, 90, 120, 21}, .Items = {L"A", L"B", L"C"}, .ItemIndex = 1},
      {.Name = L"Pages", .Kind = K::PageControl, .Place = {10, 120, 300, 200}},
      {.Name = L"Page1", .Kind = K::TabSheet, .Parent = L"Pages", .Caption = L"One"},
      {.Name = L"Drives",
       .Kind = K::ListView,
       .Parent = L"Page1",
       .Place = {4, 4, 200, 100},
       .Columns = {{L"Root", 50}, {L"Name", 100}},
       .Options = kOptCheckBoxes | kOptRowSelect | kOptReadOnly},
      {.Name = L"Page2", .Kind = K::TabSheet, .Parent = L"Pages", .Caption = L"Two"},
      {.Name = L"Mode",
       .Kind = K::RadioGroup,
       .Parent = L"Page2",
       .Place = {4, 4, 150, 70},
       .Caption = L"Mode",
       .Items = {L"Ask", L"Delete"}},
      {.Name = L"Strip", .Kind = K::Panel, .Parent = L"Page2", .Place = {4, 80, 150, 30}, .Color = Rgb(183, 183, 255)},
      {.Name = L"Stop",
       .Kind = K::Button,
       .Parent = L"Strip",
       .Place = {2, 2, 60, 25},
       .Caption = L"Stop",
       .Visible = false},
      {.Name = L"Tick", .Kind = K::Timer, .Enabled = false, .Interval = 10},
      {.Name = L"Menu", .Kind = K::PopupMenu},
      {.Name = L"Hidden", .Kind = K::MenuItem, .Parent = L"Menu", .Caption = L"Hidden", .Visible = false},
      {.Name = L"Off", .Kind = K::MenuItem, .Parent = L"Menu", .Caption = L"Off", .Enabled = false},
      {.Name = L"DriveItems", .Kind = K::MenuItem, .Parent = L"Menu", .Caption = L"Drives", .Tag = -1},
      {.Name = L"Line", .Kind = K::MenuItem, .Parent = L"Menu", .Caption = L"-"},
      {.Name = L"Show", .Kind = K::MenuItem, .Parent = L"Menu", .Caption = L"Show", .Options = kOptDefaultItem},
  };
  return layout;
}

class TestForm : public TForm {
 public:
  TestForm() : TForm(Style()) { Build(Layout()); }

 private:
  static TFormStyle Style() {
    TFormStyle style;
    style.ClassName = L"DwTestForm";
    style.Caption = L"Test";
    style.ClientWidth = 320;
    style.ClientHeight = 330;
    style.Border = TFormBorder::Fixed;
    return style;
  }
};

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

bool HasStyle(HWND window, LONG style) { return (GetWindowLongW(window, GWL_STYLE) & style) == style; }

template <typename Done>
bool Pump(DWORD ms, Done done) {
  DWORD start = GetTickCount();
  while (!done()) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (GetTickCount() - start >= ms) return done();
    Sleep(5);
  }
  return true;
}

// Windows need an X display under Wine. The window tests are a program of their
// own that the end-to-end suite runs on a display it starts (e2e.py window_tests);
// run anywhere without a display, they skip.
bool HasDisplay() { return GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0; }

class FormWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    ASSERT_TRUE(window.Create());
  }

  HWND Win(const wchar_t* name) { return window.ComponentWindow(name); }
  TComponent& C(const wchar_t* name) { return form.Component(name); }
  // A notification as the control sends it to the window it sits on.
  void Command(HWND control, UINT code) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
  }

  TestForm form;
  TFormWindow window{form};
};

TEST_F(FormWindowTest, CreatesOneControlPerWindowedComponentAsTheModelStands) {
  EXPECT_EQ(ClassOf(window.Handle()), L"DwTestForm");
  EXPECT_EQ(TextOf(window.Handle()), L"Test");
  EXPECT_FALSE(IsWindowVisible(window.Handle())) << "a form starts hidden";

  RECT client{};
  GetClientRect(window.Handle(), &client);
  EXPECT_EQ(client.right, window.Dpi().Scale(320));
  EXPECT_EQ(client.bottom, window.Dpi().Scale(330));

  EXPECT_EQ(ClassOf(Win(L"Go")), L"Button");
  EXPECT_EQ(TextOf(Win(L"Go")), L"Go");
  EXPECT_EQ(ClassOf(Win(L"Name")), L"Edit");
  EXPECT_EQ(ClassOf(Win(L"Choice")), L"ComboBox");
  EXPECT_EQ(SendMessageW(Win(L"Choice"), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(Win(L"Choice"), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(ClassOf(Win(L"Pages")), L"SysTabControl32");
  EXPECT_EQ(SendMessageW(Win(L"Pages"), TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(ClassOf(Win(L"Drives")), L"SysListView32");
  EXPECT_EQ(TextOf(Win(L"Mode")), L"Mode");
  EXPECT_FALSE(HasStyle(Win(L"Stop"), WS_VISIBLE));
  // The first page shows; the second waits behind it.
  EXPECT_TRUE(HasStyle(Win(L"Page1"), WS_VISIBLE));
  EXPECT_FALSE(HasStyle(Win(L"Page2"), WS_VISIBLE));
  // Labels, shapes, timers and menus have no window of their own.
  EXPECT_EQ(Win(L"Title"), nullptr);
  EXPECT_EQ(Win(L"Band"), nullptr);
  EXPECT_EQ(Win(L"Tick"), nullptr);
  EXPECT_EQ(Win(L"Menu"), nullptr);
}

// The rightmost column of area that holds a pixel of another colour than white.
int InkRight(HWND window, const RECT& area) {
  HDC dc = GetDC(window);
  int right = -1;
  for (int x = area.left; x < area.right; ++x)
    for (int y = area.top; y < area.bottom; ++y)
      if (GetPixel(dc, x, y) != RGB(255, 255, 255)) right = x;
  ReleaseDC(window, dc);
  return right;
}

TEST_F(FormWindowTest, AnAutoSizedLabelShowsItsLastLetterWhole) {
  C(L"Title").SetFont({L"Tahoma", 8, false, true, kClBlue});
  C(L"Title").SetCaption(L"Visiter le site web");
  form.Show();
  // Inside the white band, off its black outline.
  TDpi dpi = window.Dpi();
  RECT band{1, 1, dpi.Scale(200) - 1, dpi.Scale(20) - 1};
  auto inkAfterPaint = [&] {
    RedrawWindow(window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump(200, [] { return false; });
    return InkRight(window.Handle(), band);
  };
  int autoSized = inkAfterPaint();
  C(L"Title").SetPlace({4, 4, 190, 0});  // room enough: nothing to cut
  int roomy = inkAfterPaint();
  ASSERT_GT(roomy, dpi.Scale(40)) << "the text was not painted";
  EXPECT_EQ(autoSized, roomy) << "the label cut its last letter";
}

TEST_F(FormWindowTest, ModelChangesReachTheWindows) {
  C(L"Go").SetCaption(L"Run");
  EXPECT_EQ(TextOf(Win(L"Go")), L"Run");
  C(L"Go").SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(Win(L"Go")));
  C(L"Stop").SetVisible(true);
  EXPECT_TRUE(HasStyle(Win(L"Stop"), WS_VISIBLE));

  C(L"Name").SetText(L"abc");
  EXPECT_EQ(TextOf(Win(L"Name")), L"abc");

  C(L"Choice").SetItems({L"X", L"Y"});
  C(L"Choice").SetItemIndex(0);
  EXPECT_EQ(SendMessageW(Win(L"Choice"), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(Win(L"Choice"), CB_GETCURSEL, 0, 0), 0);

  TComponent& drives = C(L"Drives");
  drives.SetRows({{L"E:\\", {L"STICK"}, true}, {L"F:\\", {L"CARD"}, false}});
  HWND list = Win(L"Drives");
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
  wchar_t text[32] = {};
  LVITEMW item{};
  item.iSubItem = 1;
  item.pszText = text;
  item.cchTextMax = 32;
  SendMessageW(list, LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, L"CARD");
  auto ticked = [&](int row) {
    return ((SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) &
             LVIS_STATEIMAGEMASK) >>
            12) == 2;
  };
  EXPECT_TRUE(ticked(0));
  EXPECT_FALSE(ticked(1));
  drives.SetRowChecked(1, true);
  EXPECT_TRUE(ticked(1));
  drives.SetSelectedRow(1);
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);

  C(L"Pages").SetActivePage(L"Page2");
  EXPECT_EQ(SendMessageW(Win(L"Pages"), TCM_GETCURSEL, 0, 0), 1);
  EXPECT_FALSE(HasStyle(Win(L"Page1"), WS_VISIBLE));
  EXPECT_TRUE(HasStyle(Win(L"Page2"), WS_VISIBLE));

  C(L"Mode").SetItemIndex(1);
  HWND second = FindWindowExW(Win(L"Page2"), nullptr, L"Button", L"Delete");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(SendMessageW(second, BM_GETCHECK, 0, 0), BST_CHECKED);

  form.SetCaption(L"Renamed");
  EXPECT_EQ(TextOf(window.Handle()), L"Renamed");
  form.Show();
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  form.Hide();
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
}

TEST_F(FormWindowTest, UserActionsWriteTheModelFirstThenRunTheEvent) {
  std::vector<std::wstring> seen;
  C(L"Go").OnClick = [&](TComponent&) { seen.push_back(L"click"); };
  C(L"Name").OnChange = [&](TComponent& c) { seen.push_back(L"text " + c.Text()); };
  C(L"Choice").OnChange = [&](TComponent& c) { seen.push_back(L"choice " + std::to_wstring(c.ItemIndex())); };
  C(L"Mode").OnClick = [&](TComponent& c) { seen.push_back(L"mode " + std::to_wstring(c.ItemIndex())); };
  C(L"Page2").OnShow = [&](TComponent&) { seen.push_back(L"shown " + C(L"Pages").ActivePage()); };
  C(L"Drives").OnChange = [&](TComponent& c) {
    seen.push_back(L"row " + std::to_wstring(c.RowChecked(0)) + L" " + std::to_wstring(c.SelectedRow()));
  };
  C(L"Drives").SetRows({{L"E:\\", {L"STICK"}}});

  SendMessageW(Win(L"Go"), BM_CLICK, 0, 0);
  SetWindowTextW(Win(L"Name"), L"typed");  // the edit reports the change as typing does
  SendMessageW(Win(L"Choice"), CB_SETCURSEL, 2, 0);
  Command(Win(L"Choice"), CBN_SELCHANGE);
  HWND remove = FindWindowExW(Win(L"Page2"), nullptr, L"Button", L"Delete");
  ASSERT_NE(remove, nullptr);
  SendMessageW(remove, BM_CLICK, 0, 0);
  SendMessageW(remove, BM_CLICK, 0, 0);  // the choice already made: nothing runs

  LVITEMW tick{};
  tick.stateMask = LVIS_STATEIMAGEMASK;
  tick.state = INDEXTOSTATEIMAGEMASK(2);
  SendMessageW(Win(L"Drives"), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&tick));
  LVITEMW select{};
  select.stateMask = LVIS_SELECTED;
  select.state = LVIS_SELECTED;
  SendMessageW(Win(L"Drives"), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));

  HWND tabs = Win(L"Pages");
  SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
  NMHDR header{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(GetParent(tabs), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));

  std::vector<std::wstring> expected = {L"click",    L"text typed", L"choice 2",   L"mode 1",
                                        L"row 1 -1", L"row 1 0",    L"shown Page2"};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(C(L"Name").Text(), L"typed");
  EXPECT_EQ(C(L"Choice").ItemIndex(), 2);
  EXPECT_TRUE(HasStyle(Win(L"Page2"), WS_VISIBLE));
}

// The left button pressed and released on the check box of a row, where the
// control itself says the box is.
bool ClickCheckBox(HWND list, int row) {
  RECT bounds{LVIR_BOUNDS, 0, 0, 0};
  if (!SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds))) return false;
  const int y = (bounds.top + bounds.bottom) / 2;
  for (int x = bounds.left; x < bounds.left + 48; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    if (SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) != row ||
        !(hit.flags & LVHT_ONITEMSTATEICON))
      continue;
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x + 2, y));
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(x + 2, y));
    return true;
  }
  return false;
}

// The control tells of a click on a check box before the box changes; the click
// event must see the box as the click left it, once per click.
TEST_F(FormWindowTest, AClickOnACheckBoxRunsTheClickOnceWithTheBoxAsTheClickLeftIt) {
  std::vector<std::wstring> seen;
  C(L"Drives").SetRows({{L"E:\\", {L"STICK"}}, {L"F:\\", {L"OTHER"}, true}});
  C(L"Drives").OnClick = [&](TComponent& c) {
    seen.push_back(std::to_wstring(c.RowChecked(0)) + std::to_wstring(c.RowChecked(1)));
  };
  ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
  ASSERT_TRUE(ClickCheckBox(Win(L"Drives"), 0));
  ASSERT_TRUE(Pump(2000, [&] { return !seen.empty(); }));
  ASSERT_TRUE(ClickCheckBox(Win(L"Drives"), 1));
  ASSERT_TRUE(Pump(2000, [&] { return seen.size() >= 2; }));
  Pump(100, [] { return false; });
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"11", L"10"}));
}

TEST_F(FormWindowTest, TheRenderersOwnWritesRunNoEvents) {
  int events = 0;
  auto count = [&](TComponent&) { ++events; };
  for (const wchar_t* name : {L"Name", L"Choice", L"Mode", L"Drives", L"Pages", L"Page2"}) {
    C(name).OnChange = count;
    C(name).OnClick = count;
    C(name).OnShow = count;
  }
  C(L"Name").SetText(L"set by the program");
  C(L"Choice").SetItemIndex(0);
  C(L"Mode").SetItemIndex(1);
  C(L"Drives").SetRows({{L"E:\\", {L"STICK"}, true}});
  C(L"Drives").SetRowChecked(0, false);
  C(L"Drives").SetSelectedRow(0);
  C(L"Pages").SetActivePage(L"Page2");
  EXPECT_EQ(events, 0);
}

// Keys posted before the menu opens are read by the menu's own loop, as typed keys would be.
void PostKeys(HWND window, std::initializer_list<WPARAM> keys) {
  for (WPARAM key : keys) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
  }
}

TEST_F(FormWindowTest, PopupMenusAreBuiltFromTheModelEachTimeTheyOpen) {
  std::vector<std::wstring> seen;
  TComponent& menu = C(L"Menu");
  menu.OnPopup = [&](TComponent&) {
    seen.push_back(L"popup");
    TComponent& drives = C(L"DriveItems");
    drives.ClearChildren();
    drives.AddChild(L"STICK (E:\\)", 0,
                    [&](TComponent& item) { seen.push_back(L"drive " + std::to_wstring(item.Tag())); });
    drives.AddChild(L"CARD (F:\\)", 3,
                    [&](TComponent& item) { seen.push_back(L"drive " + std::to_wstring(item.Tag())); });
  };
  C(L"Show").OnClick = [&](TComponent&) { seen.push_back(L"show"); };
  C(L"Off").OnClick = [&](TComponent&) { seen.push_back(L"off"); };
  form.Show();
  POINT at{40, 40};
  ClientToScreen(window.Handle(), &at);

  // Down from the top: the disabled item, then the drives' submenu, whose second entry is taken.
  PostKeys(window.Handle(), {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
  window.OpenPopupMenu(menu, at);
  // Escape closes the menu: nothing runs but the popup handler.
  PostKeys(window.Handle(), {VK_ESCAPE});
  window.OpenPopupMenu(menu, at);
  std::vector<std::wstring> expected = {L"popup", L"drive 3", L"popup"};
  EXPECT_EQ(seen, expected);
}

TEST_F(FormWindowTest, RowsTakeTheColourTheirDrawHandlerGives) {
  TComponent& drives = C(L"Drives");
  std::vector<int> asked;
  drives.OnCustomDraw = [&](TComponent&, int row) {
    asked.push_back(row);
    return row == 0 ? kClRed : kClDefault;
  };
  drives.SetRows({{L"MMMMMMMM", {}}, {L"MMMMMMMM", {}}});
  form.Show();
  HWND list = Win(L"Drives");
  RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  ASSERT_NE(std::find(asked.begin(), asked.end(), 0), asked.end());
  ASSERT_NE(std::find(asked.begin(), asked.end(), 1), asked.end());

  auto countRed = [&](int row) {
    RECT r{};
    r.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    HDC dc = GetDC(list);
    int red = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (COLORREF c = GetPixel(dc, x, y); GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80) ++red;
    ReleaseDC(list, dc);
    return red;
  };
  EXPECT_GT(countRed(0), 10);
  EXPECT_EQ(countRed(1), 0);
}

TEST_F(FormWindowTest, TimersRunOnlyWhileEnabled) {
  int ticks = 0;
  C(L"Tick").OnTimer = [&](TComponent&) { ++ticks; };
  Pump(100, [] { return false; });
  EXPECT_EQ(ticks, 0);
  C(L"Tick").SetEnabled(true);
  EXPECT_TRUE(Pump(5000, [&] { return ticks >= 2; }));
  C(L"Tick").SetEnabled(false);
  int stopped = ticks;
  Pump(100, [] { return false; });
  EXPECT_EQ(ticks, stopped);
}

TEST_F(FormWindowTest, ClosingTheWindowOnlyHidesTheForm) {
  form.Show();
  SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(IsWindow(window.Handle()));
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
}

TEST_F(FormWindowTest, AFailingHandlerEndsThereAndTheWindowGoesOn) {
  C(L"Go").OnClick = [](TComponent&) { throw std::runtime_error("handler failed"); };
  SendMessageW(Win(L"Go"), BM_CLICK, 0, 0);
  C(L"Go").SetCaption(L"Still here");
  EXPECT_EQ(TextOf(Win(L"Go")), L"Still here");
  std::vector<std::string> caught = test::TakeCaught();
  ASSERT_EQ(caught.size(), 1u);
  EXPECT_NE(caught[0].find("handler failed"), std::string::npos) << caught[0];
}

// The state icons read as their state at every size the shell may ask for.
TEST(StateIcons, EachImageHasItsColourAtEverySize) {
  if (!HasDisplay()) GTEST_SKIP() << "no display";
  struct Case {
    int image;
    bool wantRed, wantGreen;
  };
  const Case cases[] = {{0, false, true}, {1, true, false}, {2, true, false}};
  for (int size : {16, 20, 24, 32, 48}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "image " << c.image << " at " << size);
      TIconHandle icon = DrawStateIcon(c.image, size);
      ASSERT_TRUE(icon);
      ICONINFO info{};
      ASSERT_TRUE(GetIconInfo(icon.Get(), &info));
      TBitmapHandle colour(info.hbmColor), mask(info.hbmMask);
      BITMAPINFO format{};
      format.bmiHeader.biSize = sizeof(format.bmiHeader);
      format.bmiHeader.biWidth = size;
      format.bmiHeader.biHeight = -size;
      format.bmiHeader.biPlanes = 1;
      format.bmiHeader.biBitCount = 32;
      std::vector<uint32_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size));
      HDC screen = GetDC(nullptr);
      ASSERT_EQ(GetDIBits(screen, colour.Get(), 0, static_cast<UINT>(size), pixels.data(), &format, DIB_RGB_COLORS),
                size);
      ReleaseDC(nullptr, screen);
      int red = 0, green = 0, clear = 0;
      for (uint32_t p : pixels) {
        int a = static_cast<int>(p >> 24), r = static_cast<int>((p >> 16) & 0xFF),
            g = static_cast<int>((p >> 8) & 0xFF), b = static_cast<int>(p & 0xFF);
        if (a == 0) ++clear;
        if (a > 200 && r > 150 && g < 100 && b < 100) ++red;
        if (a > 200 && g > 100 && r < 100 && b < 140) ++green;
      }
      EXPECT_GT(clear, size) << "the corners are transparent";
      EXPECT_EQ(red > size / 2, c.wantRed);
      EXPECT_EQ(green > size, c.wantGreen);
    }
  }
}

}  // namespace
}  // namespace dw::win32
