#include "state/Notify.h"

#include <deque>
#include <mutex>

#include "platform/Platform.h"

namespace dw {

namespace {

struct Pending {
  std::wstring title, msg;
  int itype;
};

std::mutex sinkMutex;
NotificationSink sink;

// Notifications of other threads on their way to the window thread, in the order
// they were raised.
std::mutex pendingMutex;
std::deque<Pending> pending;

NotificationSink CurrentSink() {
  std::lock_guard<std::mutex> lock(sinkMutex);
  return sink;
}

// On the window thread. The sink is looked up here, not when the notification was
// raised: the pop-up may have gone in between.
void DeliverPending() {
  for (;;) {
    Pending next;
    {
      std::lock_guard<std::mutex> lock(pendingMutex);
      if (pending.empty()) return;
      next = std::move(pending.front());
      pending.pop_front();
    }
    if (NotificationSink there = CurrentSink()) there(next.title, next.msg, next.itype);
  }
}

}  // namespace

void SetNotificationSink(NotificationSink newSink) {
  {
    std::lock_guard<std::mutex> lock(sinkMutex);
    sink = std::move(newSink);
  }
  // What was on its way to the old sink does not go to a new one.
  std::lock_guard<std::mutex> lock(pendingMutex);
  pending.clear();
}

void ShowNotification(const std::wstring& title, const std::wstring& msg, int itype) {
  NotificationSink current = CurrentSink();
  if (!current) return;
  MainThread& main = Main();
  if (main.IsCurrent()) {
    // A worker's synchronous step may reach the window thread before the call the
    // worker posted earlier (Windows serves sent messages first): what others
    // raised before comes first.
    DeliverPending();
    current(title, msg, itype);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(pendingMutex);
    pending.push_back({title, msg, itype});
  }
  main.Post(&DeliverPending);
}

}  // namespace dw
