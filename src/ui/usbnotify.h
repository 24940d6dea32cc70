// The notification pop-up TForm3 and its queue: notices and alerts slide up in
// the corner of the work area one after another, each for one timer period.
// Everything here runs on the window thread; ShowNotification (ui/Notify.h)
// brings other threads' notifications there.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <string>

#include "forms/forms.h"

namespace dw {

class TSettingsFile;

// One queued notification.
struct dUserMsg {
  std::wstring msg;
  std::wstring title;  // may be empty
  int itype = 0;       // 0: notice, anything else: alert
};

// First in, first out; a record leaves it when it is shown.
using NotificationQueue = std::deque<dUserMsg>;

constexpr TColor kNoticeColor = Rgb(192, 220, 192);
constexpr TColor kAlertColor = Rgb(245, 75, 80);
constexpr int kNotificationPeriodMs = 4000;
inline constexpr wchar_t kPopupClassName[] = L"TForm3";

// System commands, with the low four bits cleared as the system asks.
constexpr uint32_t kScMinimize = 0xF020;
constexpr uint32_t kScRestore = 0xF120;
constexpr uint32_t kMinimizeHideDelayMs = 200;

// Every component of the pop-up, in creation order.
std::span<const TLayoutRow> Form3Layout();

class TForm3 : public TForm {
 public:
  // controlPanel: whose state icon the pop-up shows and which a click on it
  // brings to the front. It must outlive the pop-up.
  explicit TForm3(TForm& controlPanel);
  ~TForm3() override;

  // Once per run, after the control panel's creation (the settings are open and
  // the catalogue translated): the queue, the captions, this form as where
  // ShowNotification goes, then the start-up notices.
  void FormCreate(TSettingsFile& settings);

  // What ShowNotification does on the window thread: queue the record, and start
  // the cycle unless one runs.
  void AddNotification(const std::wstring& title, const std::wstring& msg, int itype);
  // Shows the oldest queued record; false when the queue is empty.
  bool ShowNextMsg();

  void Timer1Timer(TComponent& sender);
  void Label4Click(TComponent& sender);
  void Panel1Click(TComponent& sender);
  // A system command with its low four bits cleared; true when handled here.
  bool WMSysCommand(uint32_t command);

  const NotificationQueue& Queue() const { return FQueue; }

 private:
  TComponent& Timer1() const { return Component(L"Timer1"); }

  TForm& FControlPanel;
  NotificationQueue FQueue;
  bool FRegistered = false;
};

}  // namespace dw
