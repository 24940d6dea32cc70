// ShowNotification: the entry of the pop-up queue, callable from any thread.
#pragma once

#include <functional>
#include <string>

namespace dw {

// itype 0: a notice (green), any other value: an alert (red). On the window
// thread the notification reaches the sink at once; from another thread it is
// handed to the window thread without waiting, in the order this thread raised it.
void ShowNotification(const std::wstring& title, const std::wstring& msg, int itype);

// Where notifications go on the window thread; the pop-up window registers itself.
// Without a sink they are dropped (the command-line scanner reports in its own way).
using NotificationSink = std::function<void(const std::wstring& title, const std::wstring& msg, int itype)>;
void SetNotificationSink(NotificationSink sink);

}  // namespace dw
