// Workers: threads that own one operation on a drive or the quarantine, hand each
// visible step to the window thread, and delete themselves when they end.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace dw {

enum ThreadWorkType { work_quarantine = 0, work_scan = 1, work_menace = 2, work_tool = 3 };

class TWorkThreadList;

class TWorkThread {
 public:
  explicit TWorkThread(ThreadWorkType workType);
  virtual ~TWorkThread();
  TWorkThread(const TWorkThread&) = delete;
  TWorkThread& operator=(const TWorkThread&) = delete;

  void Terminate() { FTerminated.store(true); }
  bool Terminated() const { return FTerminated.load(); }
  ThreadWorkType WorkType() const { return FworkType; }

 protected:
  // The work. No exception leaves it (the runner catches and ends the work).
  virtual void Execute() = 0;
  // Runs fn on the window thread and waits (Synchronize).
  void Synchronize(const std::function<void()>& fn);

 private:
  friend void StartWorker(TWorkThread* worker, TWorkThreadList* registerIn);
  void Run();

  ThreadWorkType FworkType;
  std::atomic<bool> FTerminated{false};
  TWorkThreadList* FList = nullptr;
};

class TWorkThreadList {
 public:
  int Add(TWorkThread* item);
  TWorkThread* Get(int index) const;
  void Remove(TWorkThread* item);  // the first occurrence; nothing when absent
  int Count() const;
  // Tells every registered worker to stop, then waits in 500 ms cycles that
  // process window messages until none is left or timeoutMs have passed.
  void CancelAllAndWaitTermination(uint32_t timeoutMs);

 private:
  mutable std::mutex FLock;
  std::vector<TWorkThread*> FItems;
};

// Starts a fully constructed worker: registers it in registerIn (when not null)
// before its thread runs, then runs it on a thread of its own for as long as it
// runs (an idle one that ran an earlier worker, or a new one). The worker deletes
// itself after Execute, leaving registerIn first on every way out.
void StartWorker(TWorkThread* worker, TWorkThreadList* registerIn);

}  // namespace dw
