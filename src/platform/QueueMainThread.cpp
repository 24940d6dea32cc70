#include "platform/QueueMainThread.h"

#include <chrono>

namespace dw {

QueueMainThread::QueueMainThread() : owner_(std::this_thread::get_id()) {}

void QueueMainThread::AdoptCurrentThread() {
  std::lock_guard<std::mutex> lock(mutex_);
  owner_ = std::this_thread::get_id();
}

bool QueueMainThread::IsCurrent() {
  std::lock_guard<std::mutex> lock(mutex_);
  return owner_ == std::this_thread::get_id();
}

void QueueMainThread::Invoke(const std::function<void()>& fn) {
  if (IsCurrent()) {
    fn();
    return;
  }
  std::mutex doneMutex;
  std::condition_variable doneCv;
  bool done = false;
  Post([&] {
    fn();
    // Notify under the lock: the waiter owns doneCv and may leave as soon as it sees done.
    std::lock_guard<std::mutex> lock(doneMutex);
    done = true;
    doneCv.notify_one();
  });
  std::unique_lock<std::mutex> lock(doneMutex);
  doneCv.wait(lock, [&] { return done; });
}

void QueueMainThread::Post(std::function<void()> fn) {
  // Notify under the lock: the owner may destroy the queue as soon as it sees the call.
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.push_back(std::move(fn));
  arrived_.notify_all();
}

void QueueMainThread::ProcessMessages() {
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (queue_.empty()) return;
      fn = std::move(queue_.front());
      queue_.pop_front();
    }
    fn();
  }
}

void QueueMainThread::PumpUntil(const std::function<bool()>& done, unsigned pollMs) {
  while (true) {
    ProcessMessages();
    if (done()) return;
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_for(lock, std::chrono::milliseconds(pollMs), [&] { return !queue_.empty(); });
  }
}

}  // namespace dw
