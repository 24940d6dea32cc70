#include "ui/Notify.h"

#include <mutex>

#include "platform/Platform.h"

namespace dw {

namespace {

std::mutex sinkMutex;
NotificationSink sink;

NotificationSink CurrentSink() {
  std::lock_guard<std::mutex> lock(sinkMutex);
  return sink;
}

}  // namespace

void SetNotificationSink(NotificationSink newSink) {
  std::lock_guard<std::mutex> lock(sinkMutex);
  sink = std::move(newSink);
}

void ShowNotification(const std::wstring& title, const std::wstring& msg, int itype) {
  NotificationSink current = CurrentSink();
  if (!current) return;
  MainThread& main = Main();
  if (main.IsCurrent()) {
    current(title, msg, itype);
    return;
  }
  // The queue and the window belong to the window thread. The sink is looked up
  // again there: the pop-up may have gone in between.
  main.Post([title, msg, itype] {
    if (NotificationSink there = CurrentSink()) there(title, msg, itype);
  });
}

}  // namespace dw
