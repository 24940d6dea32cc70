// ShowNotification: the entry of the pop-up queue, callable from any thread.
#pragma once

#include <functional>
#include <string>

namespace dw {

// itype 0: a notice (green), any other value: an alert (red). From another thread
// the notification is handed to the window thread without waiting; on the window
// thread it reaches the sink at once, after those other threads raised before it.
// Each thread's notifications keep their order.
void ShowNotification(const std::wstring& title, const std::wstring& msg, int itype);

// Where notifications go on the window thread; the pop-up window registers itself.
// Without a sink they are dropped (the command-line scanner reports in its own way),
// and so are those still on their way when the sink changes.
using NotificationSink = std::function<void(const std::wstring& title, const std::wstring& msg, int itype)>;
void SetNotificationSink(NotificationSink sink);

}  // namespace dw
