#include "state/workthreads.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/Caught.h"
#include "platform/Platform.h"

namespace dw {

namespace {

// Threads that run one worker after another and never end. Under Wine (mingw-w64's
// posix threads, static runtime) a new thread whose work threw at once, while an
// earlier worker's thread was ending, has stalled for over a minute: the runtime's
// unwinding races the thread's exit. Threads that never end keep workers off it.
class TWorkerPool {
 public:
  // Hands job to an idle thread, or runs it on a new one when none is idle; throws
  // std::system_error when a new thread is needed and none can be made.
  void Start(std::function<void()> job) {
    {
      std::lock_guard<std::mutex> lock(FLock);
      if (FIdle > 0) {
        --FIdle;
        FHandedOver.push_back(std::move(job));
        FWake.notify_one();
        return;
      }
    }
    std::thread([this, job = std::move(job)]() mutable { Serve(std::move(job)); }).detach();
  }

 private:
  [[noreturn]] void Serve(std::function<void()> job) {
    for (;;) {
      job();
      std::unique_lock<std::mutex> lock(FLock);
      ++FIdle;
      FWake.wait(lock, [&] { return !FHandedOver.empty(); });
      job = std::move(FHandedOver.front());
      FHandedOver.pop_front();
    }
  }

  std::mutex FLock;
  std::condition_variable FWake;
  // Every waiting thread is either counted idle or has a job here to take.
  size_t FIdle = 0;
  std::deque<std::function<void()>> FHandedOver;
};

TWorkerPool& Pool() {
  // Never destroyed: its threads wait in it until the process ends, and nothing may
  // be torn down under them.
  static TWorkerPool* pool = new TWorkerPool;
  return *pool;
}

}  // namespace

TWorkThread::TWorkThread(ThreadWorkType workType) : FworkType(workType) {}

TWorkThread::~TWorkThread() = default;

void TWorkThread::Synchronize(const std::function<void()>& fn) {
  // An error in the synchronised step belongs to the worker: it must not unwind the
  // window thread's message processing, and the worker must not wait forever.
  std::exception_ptr failure;
  Main().Invoke([&] {
    try {
      fn();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  if (failure) std::rethrow_exception(failure);
}

void TWorkThread::Run() {
  try {
    Execute();
  } catch (...) {
    // The work ends at the failing step; the removal below still happens.
    RecordCaught("worker");
  }
  if (FList) FList->Remove(this);
  delete this;
}

void StartWorker(TWorkThread* worker, TWorkThreadList* registerIn) {
  if (registerIn) registerIn->Add(worker);
  worker->FList = registerIn;
  try {
    Pool().Start([worker] { worker->Run(); });
  } catch (const std::system_error&) {
    // No thread could be made: the worker ends here as if its work had failed.
    if (registerIn) registerIn->Remove(worker);
    delete worker;
  }
}

int TWorkThreadList::Add(TWorkThread* item) {
  std::lock_guard<std::mutex> lock(FLock);
  FItems.push_back(item);
  return static_cast<int>(FItems.size()) - 1;
}

TWorkThread* TWorkThreadList::Get(int index) const {
  std::lock_guard<std::mutex> lock(FLock);
  if (index < 0 || static_cast<size_t>(index) >= FItems.size()) throw std::out_of_range("TWorkThreadList::Get");
  return FItems[static_cast<size_t>(index)];
}

void TWorkThreadList::Remove(TWorkThread* item) {
  std::lock_guard<std::mutex> lock(FLock);
  for (auto it = FItems.begin(); it != FItems.end(); ++it) {
    if (*it == item) {
      FItems.erase(it);
      return;
    }
  }
}

int TWorkThreadList::Count() const {
  std::lock_guard<std::mutex> lock(FLock);
  return static_cast<int>(FItems.size());
}

void TWorkThreadList::CancelAllAndWaitTermination(uint32_t timeoutMs) {
  {
    // A worker takes this lock to leave the list before it deletes itself, so
    // every pointer seen here is alive.
    std::lock_guard<std::mutex> lock(FLock);
    for (size_t i = FItems.size(); i-- > 0;) FItems[i]->Terminate();
  }
  const uint32_t start = Sys().TickCount();
  for (;;) {
    bool wasEmpty = Count() == 0;
    Sys().Sleep(500);
    // Runs the Synchronize calls that workers are blocked in, so they can finish.
    Main().ProcessMessages();
    // Unsigned subtraction keeps the elapsed time right when the counter wraps.
    uint32_t elapsed = Sys().TickCount() - start;
    if (wasEmpty || elapsed >= timeoutMs) return;
  }
}

}  // namespace dw
