#include "ui/Notify.h"

#include <mutex>

namespace dw {

namespace {
std::mutex sinkMutex;
NotificationSink sink;
}  // namespace

void SetNotificationSink(NotificationSink newSink) {
  std::lock_guard<std::mutex> lock(sinkMutex);
  sink = std::move(newSink);
}

void ShowNotification(const std::wstring& title, const std::wstring& msg, int itype) {
  NotificationSink current;
  {
    std::lock_guard<std::mutex> lock(sinkMutex);
    current = sink;
  }
  if (current) current(title, msg, itype);
}

}  // namespace dw
