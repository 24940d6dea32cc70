// An event log that keeps what it is told, for tests to read back.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace dw::test {

struct ReportedEvent {
  EventLevel level;
  uint32_t id;
  std::vector<std::wstring> strings;
  bool operator==(const ReportedEvent&) const = default;
};

class RecordingEventLog : public EventLog {
 public:
  bool Report(EventLevel level, uint32_t eventId, const std::vector<std::wstring>& strings) override {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back({level, eventId, strings});
    return true;
  }
  std::vector<ReportedEvent> Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }

 private:
  std::mutex mutex_;
  std::vector<ReportedEvent> events_;
};

}  // namespace dw::test
