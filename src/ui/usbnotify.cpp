#include "ui/usbnotify.h"

#include "common/Text.h"
#include "loc/LangLocStrings.h"
#include "platform/Platform.h"
#include "state/Elevation.h"
#include "state/Notify.h"
#include "state/Settings.h"
#include "state/SharedState.h"
#include "ui/main.h"

namespace dw {

namespace {

using K = TComponentKind;

constexpr wchar_t kStateIcons[] = L"STATEICONS";

// clang-format off
const std::vector<TLayoutRow> kLayout = {
    // The panel covers the whole window and shows the form's colour, so the
    // colour of a message colours the whole pop-up.
    {.Name = L"Panel1", .Kind = K::Panel, .Place = {0, 0, 237, 128}, .Options = kOptLoweredOuter},
    {.Name = L"Image1", .Kind = K::Image, .Parent = L"Panel1", .Place = {4, 4, 32, 32}, .Options = kOptTransparent,
     .Picture = kStateIcons},
    {.Name = L"Label3", .Kind = K::Label, .Parent = L"Panel1", .Place = {48, 8, 177, 25},
     .Font = {L"Tahoma", 8, true, true, kClBlack}},
    {.Name = L"Label2", .Kind = K::Label, .Parent = L"Panel1", .Place = {8, 34, 225, 33},
     .Options = kOptWordWrap | kOptTransparent | kOptVerticalCentre, .Font = {L"Tahoma", 8, true}},
    {.Name = L"Label1", .Kind = K::Label, .Parent = L"Panel1", .Place = {8, 80, 225, 43}, .Options = kOptWordWrap,
     .Font = {L"Tahoma", 8}},
    {.Name = L"Label4", .Kind = K::Label, .Parent = L"Panel1", .Place = {208, 0, 25, 21}, .Caption = L"x",
     .Options = kOptTransparent, .Alignment = TAlignment::Center, .Font = {L"Tahoma", 10, true}},
    {.Name = L"Timer1", .Kind = K::Timer, .Enabled = false, .Interval = kNotificationPeriodMs},
};
// clang-format on

TFormStyle Form3Style() {
  TFormStyle style;
  style.ClassName = kPopupClassName;
  style.ClientWidth = 237;
  style.ClientHeight = 128;
  style.FontFace = L"Tahoma";
  style.FontSize = 8;
  style.StayOnTop = true;
  style.Position = TFormPosition::WorkAreaCorner;
  style.ShowHints = false;
  style.ToolWindow = true;
  style.Border = TFormBorder::None;
  style.Color = kNoticeColor;
  return style;
}

}  // namespace

std::span<const TLayoutRow> Form3Layout() { return kLayout; }

TForm3::TForm3(TForm& controlPanel) : TForm(Form3Style()), FControlPanel(controlPanel) {
  Build(kLayout);
  Timer1().OnTimer = [this](TComponent& sender) { Timer1Timer(sender); };
  Component(L"Label4").OnClick = [this](TComponent& sender) { Label4Click(sender); };
  Component(L"Panel1").OnClick = [this](TComponent& sender) { Panel1Click(sender); };
}

TForm3::~TForm3() {
  // Notifications raised after the pop-up is gone are dropped, never sent to it.
  if (FRegistered) SetNotificationSink(nullptr);
}

void TForm3::FormCreate(TSettingsFile& settings) {
  FQueue.clear();
  SetNotificationSink(
      [this](const std::wstring& title, const std::wstring& msg, int itype) { AddNotification(title, msg, itype); });
  FRegistered = true;
  SetCaption(kProductName);
  Component(L"Label3").SetCaption(kProductName);

  if (!State().ProtectionEnabled)
    ShowNotification(MsgAlertTitle, FormatText(MsgInactive, {std::wstring(kProductName)}), 1);
  if (settings.ReadBool(kSectionApp, kKeyFirstRun, true)) ShowNotification(MsgWelcomeTitle, MsgWelcomeText, 0);
}

void TForm3::AddNotification(const std::wstring& title, const std::wstring& msg, int itype) {
  FQueue.push_back({msg, title, itype});
  if (Timer1().Enabled()) return;  // it waits for its turn
  ShowNextMsg();
  Timer1().SetEnabled(true);
}

bool TForm3::ShowNextMsg() {
  if (FQueue.empty()) return false;
  dUserMsg next = std::move(FQueue.front());
  FQueue.pop_front();

  Reposition();
  Component(L"Label2").SetCaption(next.title);
  // The panel's state, except that good news never comes with the findings' "!".
  int icon = FControlPanel.IconIndex();
  if (next.itype == 0 && icon == kImageFindings) icon = kImageProtected;
  Component(L"Image1").SetImageIndex(icon);
  Component(L"Label1").SetCaption(next.msg);
  SetColor(next.itype == 0 ? kNoticeColor : kAlertColor);
  // Already on the screen, the pop-up only changes its texts and colour.
  SetVisible(true, TFormSlide::Up);
  return true;
}

void TForm3::Timer1Timer(TComponent&) {
  if (ShowNextMsg()) return;
  SetVisible(false, TFormSlide::Down);
  Timer1().SetEnabled(false);
}

// The queue is kept: the next notification shows what waits first.
void TForm3::Label4Click(TComponent&) {
  Hide();
  Timer1().SetEnabled(false);
}

// The timer keeps running: its next tick brings what waits, or ends the cycle.
void TForm3::Panel1Click(TComponent&) {
  Hide();
  FControlPanel.Show();
}

bool TForm3::WMSysCommand(uint32_t command) {
  switch (command) {
    case kScMinimize:
      SetWindowState(TWindowState::Minimized);
      Sys().Sleep(kMinimizeHideDelayMs);
      Hide();
      // Hidden, the pop-up is no longer minimized: the next message must not
      // come up as a button on the desktop.
      SetWindowState(TWindowState::Normal);
      return true;
    case kScRestore: SetWindowState(TWindowState::Normal); return true;
    default: return false;
  }
}

}  // namespace dw
