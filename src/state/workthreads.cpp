#include "state/workthreads.h"

#include <exception>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "platform/Caught.h"
#include "platform/Platform.h"

namespace dw {

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
    std::thread([worker] { worker->Run(); }).detach();
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
