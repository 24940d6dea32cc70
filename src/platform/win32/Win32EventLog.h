// The Application log through the event source "Drivewarden". The installer
// registers the source with the program as its message file; unregistered (the
// portable zip), the events are still written and the viewer shows their strings
// without the text around them.
#pragma once

#include "platform/win32/WindowsSupport.h"

#include <mutex>

#include "platform/Platform.h"

namespace dw {

class Win32EventLog : public EventLog {
 public:
  ~Win32EventLog() override;
  bool Report(EventLevel level, uint32_t eventId, const std::vector<std::wstring>& strings) override;

 private:
  // Registered once, at the first event: most runs raise none.
  std::once_flag FRegistered;
  HANDLE FSource = nullptr;
};

}  // namespace dw
