// The notification pop-up and its queue, on the model with a test clock: what is
// shown when, in which colour, what the "x" and a click on the pop-up do, the
// hand-over from other threads, and the notices raised at start-up.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/Text.h"
#include "loc/LangLocStrings.h"
#include "platform/QueueMainThread.h"
#include "state/Notify.h"
#include "state/Settings.h"
#include "support/FormClock.h"
#include "support/MemoryProfileFiles.h"
#include "support/PanelFixture.h"
#include "ui/usbnotify.h"

namespace dw {
namespace {

constexpr wchar_t kSettingsPath[] = L"C:\\ProgramData\\Drivewarden\\config\\config.ini";

// What the pop-up shows at a moment.
struct Showing {
  bool visible;
  std::wstring title, msg;
  TColor color;
  bool operator==(const Showing&) const = default;
};

void PrintTo(const Showing& s, std::ostream* os) {
  *os << (s.visible ? "visible " : "hidden ") << std::string(s.title.begin(), s.title.end()) << " / "
      << std::string(s.msg.begin(), s.msg.end()) << " colour " << std::hex << s.color << std::dec;
}

Showing Notice(const std::wstring& title, const std::wstring& msg) { return {true, title, msg, kNoticeColor}; }
Showing Alert(const std::wstring& title, const std::wstring& msg) { return {true, title, msg, kAlertColor}; }

using Slide = test::FormClock::Visibility;

class PopupTest : public test::PanelFixture {
 protected:
  // No welcome notice unless a test asks for a first run.
  void Create(const std::string& settingsText = "[app]\r\nfirstrun=0\r\n") {
    profiles.store.Put(kSettingsPath, settingsText);
    popup.FormCreate(settings);
  }

  Showing Now() const {
    return {popup.Visible(), popup.Component(L"Label2").Caption(), popup.Component(L"Label1").Caption(), popup.Color()};
  }
  bool TimerRuns() const { return popup.Component(L"Timer1").Enabled(); }
  void Click(const wchar_t* name) {
    TComponent& c = popup.Component(name);
    c.OnClick(c);
  }

  QueueMainThread mainThread;  // this test's thread is the window thread
  test::MemoryProfileFiles profiles;
  ScopedPlatform platformGuard{Platform{.profile = &profiles, .mainThread = &mainThread}};
  TSettingsFile settings{kSettingsPath};
  TForm3 popup{*panel};
  test::FormClock clock{popup};
};

TEST_F(PopupTest, NotificationsRaisedTogetherFollowEachOtherOnePeriodApart) {
  Create();
  ShowNotification(L"One", L"first", 0);
  ShowNotification(L"Two", L"second", 0);
  ShowNotification(L"Three", L"third", 0);
  EXPECT_EQ(Now(), Notice(L"One", L"first"));
  EXPECT_TRUE(TimerRuns());

  clock.Advance(3999);
  EXPECT_EQ(Now(), Notice(L"One", L"first"));
  clock.Advance(1);
  EXPECT_EQ(Now(), Notice(L"Two", L"second")) << "at 4 s";
  clock.Advance(4000);
  EXPECT_EQ(Now(), Notice(L"Three", L"third")) << "at 8 s";
  clock.Advance(3999);
  EXPECT_TRUE(popup.Visible());
  clock.Advance(1);
  EXPECT_FALSE(popup.Visible()) << "the pop-up leaves 12 s after the first was shown";
  EXPECT_FALSE(TimerRuns());
  EXPECT_TRUE(popup.Queue().empty());
  // In once, out once: later messages replace the texts in place.
  EXPECT_EQ(clock.visibility, (std::vector<Slide>{{0, true, TFormSlide::Up}, {12000, false, TFormSlide::Down}}));
  EXPECT_EQ(clock.repositions, 3) << "each message is placed in the corner";

  clock.Advance(60000);
  EXPECT_EQ(clock.visibility.size(), 2u) << "an idle pop-up stays idle";
}

TEST_F(PopupTest, ANotificationRaisedWhileOneIsShownWaitsForTheNextTick) {
  Create();
  ShowNotification(L"One", L"first", 1);
  clock.Advance(3000);
  ShowNotification(L"Two", L"second", 0);
  EXPECT_EQ(Now(), Alert(L"One", L"first")) << "the current message is not shortened";
  clock.Advance(999);
  EXPECT_EQ(Now(), Alert(L"One", L"first"));
  clock.Advance(1);
  EXPECT_EQ(Now(), Notice(L"Two", L"second"));
  clock.Advance(4000);
  EXPECT_FALSE(popup.Visible());
  EXPECT_EQ(clock.visibility.back(), (Slide{8000, false, TFormSlide::Down}));

  // The next cycle starts a full period again.
  ShowNotification(L"Three", L"third", 0);
  EXPECT_EQ(Now(), Notice(L"Three", L"third"));
  clock.Advance(3999);
  EXPECT_TRUE(popup.Visible());
  clock.Advance(1);
  EXPECT_FALSE(popup.Visible());
}

TEST_F(PopupTest, TheCloseButtonHidesAtOnceAndKeepsWhatWaitsForTheNextNotification) {
  Create();
  ShowNotification(L"One", L"first", 0);
  ShowNotification(L"Two", L"second", 0);
  ShowNotification(L"Three", L"third", 0);
  clock.Advance(1000);
  Click(L"Label4");
  EXPECT_FALSE(popup.Visible());
  EXPECT_EQ(clock.visibility.back(), (Slide{1000, false, TFormSlide::None})) << "hidden without a slide";
  EXPECT_FALSE(TimerRuns());

  clock.Advance(20000);
  EXPECT_FALSE(popup.Visible()) << "nothing comes until the next notification";
  ASSERT_EQ(popup.Queue().size(), 2u);

  ShowNotification(L"Four", L"fourth", 1);
  EXPECT_EQ(Now(), Notice(L"Two", L"second")) << "the older ones first";
  clock.Advance(4000);
  EXPECT_EQ(Now(), Notice(L"Three", L"third"));
  clock.Advance(4000);
  EXPECT_EQ(Now(), Alert(L"Four", L"fourth"));
  clock.Advance(4000);
  EXPECT_FALSE(popup.Visible());
  EXPECT_TRUE(popup.Queue().empty());
}

TEST_F(PopupTest, AClickOnThePopUpBringsUpTheControlPanelAndTheNextTickTheNextMessage) {
  Create();
  ShowNotification(L"One", L"first", 0);
  ShowNotification(L"Two", L"second", 1);
  clock.Advance(1000);
  Click(L"Panel1");
  EXPECT_FALSE(popup.Visible());
  EXPECT_TRUE(panel->Visible()) << "the control panel is shown";
  EXPECT_TRUE(TimerRuns()) << "the cycle goes on";

  clock.Advance(3000);
  EXPECT_EQ(Now(), Alert(L"Two", L"second")) << "slides in again at the next tick";
  EXPECT_EQ(clock.visibility.back(), (Slide{4000, true, TFormSlide::Up}));

  Click(L"Panel1");
  clock.Advance(4000);
  EXPECT_FALSE(TimerRuns()) << "with nothing queued the next tick ends the cycle";
  EXPECT_FALSE(popup.Visible());
}

TEST_F(PopupTest, TheColourFollowsEachMessagesTypeAndThePictureThePanelsState) {
  Create();
  State().ProtectionEnabled = false;
  panel->refreshBt();
  struct Case {
    int itype;
    TColor color;
  };
  const Case cases[] = {{1, kAlertColor}, {0, kNoticeColor}, {2, kAlertColor}, {-1, kAlertColor}, {0, kNoticeColor}};
  for (const Case& c : cases) ShowNotification(L"T", std::to_wstring(c.itype), c.itype);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.itype);
    EXPECT_EQ(Now(), (Showing{true, L"T", std::to_wstring(c.itype), c.color}));
    EXPECT_EQ(popup.Component(L"Image1").ImageIndex(), kImageUnprotected);
    clock.Advance(kNotificationPeriodMs);
  }
  EXPECT_EQ(Rgb(192, 220, 192), kNoticeColor);
  EXPECT_EQ(Rgb(245, 75, 80), kAlertColor);

  // The picture is the panel's icon of the moment each message is shown.
  State().ProtectionEnabled = true;
  panel->refreshBt();
  ShowNotification(L"T", L"on", 0);
  EXPECT_EQ(popup.Component(L"Image1").ImageIndex(), kImageProtected);

  // With findings listed, an alert shows their "!", good news the protected shield.
  panel->SetIconIndex(kImageFindings);
  ShowNotification(L"T", L"alert", 1);
  ShowNotification(L"T", L"notice", 0);
  clock.Advance(kNotificationPeriodMs);
  EXPECT_EQ(popup.Component(L"Image1").ImageIndex(), kImageFindings);
  clock.Advance(kNotificationPeriodMs);
  EXPECT_EQ(popup.Component(L"Image1").ImageIndex(), kImageProtected);
}

TEST_F(PopupTest, AnEmptyTitleLeavesTheBoldLineEmpty) {
  Create();
  ShowNotification(L"Before", L"x", 1);
  clock.Advance(kNotificationPeriodMs);
  ShowNotification(L"", MsgAllThreatsDeleted, 0);
  EXPECT_EQ(Now(), Notice(L"", MsgAllThreatsDeleted));
}

TEST_F(PopupTest, ProtectionTogglesOfTheControlPanelAppearInTurn) {
  Create();
  TComponent& toggle = panel->Component(L"cprotectionControl");
  toggle.OnClick(toggle);
  EXPECT_EQ(Now(), Alert(MsgAlertTitle, L"Drivewarden a été désactivé"));
  EXPECT_EQ(popup.Component(L"Image1").ImageIndex(), kImageUnprotected);
  toggle.OnClick(toggle);
  EXPECT_EQ(Now(), Alert(MsgAlertTitle, L"Drivewarden a été désactivé")) << "the alert keeps its period";
  clock.Advance(kNotificationPeriodMs);
  EXPECT_EQ(Now(), Notice(MsgInformationTitle, L"Drivewarden est actif"));
}

TEST_F(PopupTest, OtherThreadsHandTheirNotificationsOverInTheirOwnOrder) {
  Create();
  constexpr int kEach = 150;
  auto raise = [](wchar_t worker) {
    for (int i = 0; i < kEach; ++i) ShowNotification(std::wstring(1, worker), std::to_wstring(i), 0);
  };
  // The workers end without the window thread serving them: nobody waits.
  std::thread a(raise, L'a'), b(raise, L'b');
  a.join();
  b.join();
  EXPECT_FALSE(popup.Visible());
  EXPECT_TRUE(popup.Queue().empty()) << "the queue is touched on the window thread only";

  mainThread.ProcessMessages();
  ASSERT_TRUE(popup.Visible());
  std::vector<std::pair<std::wstring, std::wstring>> order = {{Now().title, Now().msg}};
  for (const dUserMsg& waiting : popup.Queue()) order.emplace_back(waiting.title, waiting.msg);
  ASSERT_EQ(order.size(), 2u * kEach);
  int next[2] = {0, 0};
  for (const auto& [worker, msg] : order) {
    int& expected = next[worker == L"a" ? 0 : 1];
    EXPECT_EQ(msg, std::to_wstring(expected)) << "from worker " << (worker == L"a" ? 'a' : 'b');
    ++expected;
  }
}

TEST_F(PopupTest, WhatAWorkerRaisedComesBeforeWhatItsLaterSynchronousStepRaises) {
  Create();
  // The worker's call is still waiting when the window thread, serving the worker's
  // next step, raises one of its own.
  std::thread worker([] { ShowNotification(L"Deleted", L"e:\\run.exe", 1); });
  worker.join();
  ShowNotification(L"USBSTICK (e:\\)", L"scan done", 0);
  EXPECT_EQ(Now(), Alert(L"Deleted", L"e:\\run.exe"));
  ASSERT_EQ(popup.Queue().size(), 1u);
  EXPECT_EQ(popup.Queue().front().msg, L"scan done");
  mainThread.ProcessMessages();
  EXPECT_EQ(popup.Queue().size(), 1u) << "each notification arrives once";
}

TEST_F(PopupTest, NotificationsArrivingAfterThePopUpIsGoneAreDropped) {
  Create();
  std::thread worker([] { ShowNotification(L"Late", L"after the end", 1); });
  worker.join();
  auto gone = std::make_unique<TForm3>(*panel);
  gone->FormCreate(settings);
  gone.reset();  // the sink went with it
  ShowNotification(L"Now", L"nowhere", 0);
  mainThread.ProcessMessages();  // the worker's call arrives after the end: dropped
  EXPECT_FALSE(popup.Visible());
}

TEST_F(PopupTest, StartUpNoticesFollowTheProtectionStateAndTheFirstRun) {
  struct Case {
    const char* name;
    bool protection;
    std::string settingsText;
    std::vector<Showing> shown;
  };
  const std::wstring inactive = FormatText(MsgInactive, {std::wstring(L"Drivewarden")});
  const Case cases[] = {
      {"first run, protection off",
       false,
       "",
       {Alert(MsgAlertTitle, inactive), Notice(MsgWelcomeTitle, MsgWelcomeText)}},
      {"first run", true, "[app]\r\nenable=1\r\n", {Notice(MsgWelcomeTitle, MsgWelcomeText)}},
      {"later run, protection off", false, "[app]\r\nfirstrun=0\r\n", {Alert(MsgAlertTitle, inactive)}},
      {"later run", true, "[app]\r\nfirstrun=0\r\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    State().ProtectionEnabled = c.protection;
    profiles.store.Clear();
    if (!c.settingsText.empty()) profiles.store.Put(kSettingsPath, c.settingsText);
    TForm3 fresh(*panel);
    test::FormClock freshClock(fresh);
    fresh.FormCreate(settings);
    EXPECT_EQ(fresh.Caption(), L"Drivewarden");
    EXPECT_EQ(fresh.Component(L"Label3").Caption(), L"Drivewarden");
    for (const Showing& expected : c.shown) {
      Showing now{fresh.Visible(), fresh.Component(L"Label2").Caption(), fresh.Component(L"Label1").Caption(),
                  fresh.Color()};
      EXPECT_EQ(now, expected);
      freshClock.Advance(kNotificationPeriodMs);
    }
    EXPECT_FALSE(fresh.Visible());
    EXPECT_FALSE(fresh.Component(L"Timer1").Enabled());
  }
  EXPECT_EQ(inactive, L"Drivewarden est inactif");
}

TEST_F(PopupTest, MinimizeHidesAfterAMomentAndOtherSystemCommandsGoOn) {
  Create();
  ShowNotification(L"One", L"first", 0);
  const uint32_t before = system.tick;
  EXPECT_TRUE(popup.WMSysCommand(kScMinimize));
  EXPECT_EQ(system.tick - before, kMinimizeHideDelayMs);
  EXPECT_FALSE(popup.Visible());
  EXPECT_EQ(popup.WindowState(), TWindowState::Normal) << "the next message must not come up minimized";
  EXPECT_TRUE(popup.WMSysCommand(kScRestore));
  EXPECT_FALSE(popup.WMSysCommand(0xF060)) << "SC_CLOSE gets the default handling";
  EXPECT_FALSE(popup.WMSysCommand(0xF010)) << "SC_MOVE gets the default handling";
}

TEST_F(PopupTest, TheWindowIsASmallBorderlessToolWindowOnTop) {
  const TFormStyle& style = popup.Style();
  EXPECT_EQ(style.ClassName, L"TForm3");
  EXPECT_EQ(std::make_pair(style.ClientWidth, style.ClientHeight), std::make_pair(237, 128));
  EXPECT_EQ(style.Border, TFormBorder::None);
  EXPECT_TRUE(style.StayOnTop);
  EXPECT_TRUE(style.ToolWindow);
  EXPECT_FALSE(style.AppWindow);
  EXPECT_EQ(style.Position, TFormPosition::WorkAreaCorner);
  EXPECT_FALSE(popup.Visible());
  EXPECT_FALSE(popup.Component(L"Timer1").Enabled());
  EXPECT_EQ(popup.Component(L"Timer1").Interval(), 4000);
  EXPECT_EQ(popup.Component(L"Label4").Caption(), L"x");
  for (const wchar_t* name : {L"Image1", L"Label1", L"Label2", L"Label3", L"Label4"})
    EXPECT_EQ(popup.Component(name).ParentName(), L"Panel1") << "the panel takes the clicks around them";
}

}  // namespace
}  // namespace dw
