// Linux has no Windows event log: the text log is the only record there.
#pragma once

#include "platform/Platform.h"

namespace dw {

class PosixEventLog : public EventLog {
 public:
  bool Report(EventLevel, uint32_t, const std::vector<std::wstring>&) override { return false; }
};

}  // namespace dw
