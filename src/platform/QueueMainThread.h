// A window thread without windows: calls handed to it wait in a queue until the
// owning thread pumps it. The command-line scanner and the tests use it.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/Platform.h"

namespace dw {

class QueueMainThread : public MainThread {
 public:
  // The thread that constructs the object is the window thread.
  QueueMainThread();

  void Invoke(const std::function<void()>& fn) override;
  void Post(std::function<void()> fn) override;
  void ProcessMessages() override;
  bool IsCurrent() override;

  // Pumps until done() is true, waking whenever a call arrives or every pollMs.
  void PumpUntil(const std::function<bool()>& done, unsigned pollMs = 20);
  // Lets the owning thread change (a test fixture adopting the queue).
  void AdoptCurrentThread();

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::function<void()>> queue_;
  std::thread::id owner_;
};

}  // namespace dw
