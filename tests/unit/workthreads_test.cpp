#include "state/workthreads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "platform/Platform.h"
#include "platform/QueueMainThread.h"
#include "support/CaughtCheck.h"
#include "support/FakeSystem.h"

namespace dw {
namespace {

using namespace std::chrono_literals;

// What a test worker and the test share. The worker holds it too, so it outlives
// whichever of them ends last.
class Probe {
 public:
  void Set(bool Probe::*flag) {
    std::lock_guard<std::mutex> lock(FMutex);
    this->*flag = true;
    FChanged.notify_all();
  }
  bool Get(bool Probe::*flag) {
    std::lock_guard<std::mutex> lock(FMutex);
    return this->*flag;
  }
  // Waits (really) until pred holds; false after a generous timeout.
  bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout = 20s) {
    std::unique_lock<std::mutex> lock(FMutex);
    return FChanged.wait_for(lock, timeout, pred);
  }
  bool WaitFlag(bool Probe::*flag) {
    return WaitFor([&] { return this->*flag; });
  }

  bool release = false;    // the test lets the worker end
  bool stopSeen = false;   // the worker saw Terminated
  bool posted = false;     // the worker's Synchronize call waits in the queue
  bool served = false;     // its Synchronize call ran
  bool destroyed = false;  // the worker's destructor ran
  std::thread::id servedOn;
  bool registeredAtStart = false;
  bool caught = false;

 private:
  std::mutex FMutex;
  std::condition_variable FChanged;
};

class TestWorker : public TWorkThread {
 public:
  using Body = std::function<void(TestWorker&, Probe&)>;
  TestWorker(std::shared_ptr<Probe> probe, Body body)
      : TWorkThread(work_tool), FProbe(std::move(probe)), FBody(std::move(body)) {}
  ~TestWorker() override { FProbe->Set(&Probe::destroyed); }
  using TWorkThread::Synchronize;

 protected:
  void Execute() override { FBody(*this, *FProbe); }

 private:
  std::shared_ptr<Probe> FProbe;
  Body FBody;
};

// A clock that the wait loop advances, with a hook that lets a test line up the
// worker's steps against the loop's cycles.
class SteppedSystem : public test::FakeSystem {
 public:
  void Sleep(uint32_t ms) override {
    ++sleeps;
    if (onSleep) onSleep();
    FakeSystem::Sleep(ms);
  }
  std::function<void()> onSleep;
  int sleeps = 0;
};

// Tells when a call has reached the window thread's queue.
class SignallingMainThread : public QueueMainThread {
 public:
  void Post(std::function<void()> fn) override {
    QueueMainThread::Post(std::move(fn));
    if (onPost) onPost();
  }
  std::function<void()> onPost;
};

class WorkThreadsTest : public testing::Test {
 protected:
  std::shared_ptr<Probe> probe = std::make_shared<Probe>();
  SteppedSystem system;
  SignallingMainThread main;  // this thread is the window thread
  ScopedPlatform platform{Platform{nullptr, nullptr, &system, nullptr, &main}};
  TWorkThreadList list;

  TestWorker* Start(TestWorker::Body body, bool registered = true) {
    auto* worker = new TestWorker(probe, std::move(body));
    StartWorker(worker, registered ? &list : nullptr);
    return worker;
  }
  // A worker that only ends when the test lets it, whatever it is told.
  void StartStubborn() {
    Start([](TestWorker& self, Probe& p) {
      p.WaitFlag(&Probe::release);
      if (self.Terminated()) p.Set(&Probe::stopSeen);
    });
  }
};

TEST_F(WorkThreadsTest, RegisteredBeforeItRunsAndGoneAfterItEnds) {
  TWorkThread* started = Start([&](TestWorker& self, Probe& p) {
    if (list.Count() == 1 && list.Get(0) == &self) p.Set(&Probe::registeredAtStart);
  });
  ASSERT_NE(started, nullptr);
  ASSERT_TRUE(probe->WaitFlag(&Probe::destroyed));
  EXPECT_TRUE(probe->Get(&Probe::registeredAtStart));
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(WorkThreadsTest, UnregisteredWorkerLeavesTheListAsItWas) {
  TestWorker idle(std::make_shared<Probe>(), nullptr);  // never started
  list.Add(&idle);
  Start([](TestWorker&, Probe&) {}, false);
  ASSERT_TRUE(probe->WaitFlag(&Probe::destroyed));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Get(0), &idle);
  list.Remove(&idle);
}

TEST_F(WorkThreadsTest, AnErrorInExecuteEndsTheWorkQuietlyAndStillLeavesTheList) {
  Start([](TestWorker&, Probe&) { throw std::runtime_error("drive vanished"); });
  ASSERT_TRUE(probe->WaitFlag(&Probe::destroyed));
  EXPECT_EQ(list.Count(), 0);

  auto other = std::make_shared<Probe>();
  StartWorker(new TestWorker(other, [](TestWorker&, Probe&) { throw 42; }), &list);
  ASSERT_TRUE(other->WaitFlag(&Probe::destroyed));
  EXPECT_EQ(list.Count(), 0);
  // Quietly for the user, not without a trace.
  std::vector<std::string> caught = test::TakeCaught();
  ASSERT_EQ(caught.size(), 2u);
  EXPECT_NE(caught[0].find("worker: drive vanished"), std::string::npos) << caught[0];
}

TEST_F(WorkThreadsTest, SynchronizeRunsOnTheWindowThreadAndHandsErrorsBackToTheWorker) {
  Start([](TestWorker& self, Probe& p) {
    self.Synchronize([&] {
      p.servedOn = std::this_thread::get_id();
      p.Set(&Probe::served);
    });
    try {
      self.Synchronize([] { throw std::runtime_error("list view gone"); });
    } catch (const std::runtime_error&) {
      p.Set(&Probe::caught);
    }
  });
  main.PumpUntil([&] { return probe->Get(&Probe::destroyed); });
  EXPECT_TRUE(probe->Get(&Probe::served));
  EXPECT_EQ(probe->servedOn, std::this_thread::get_id());
  EXPECT_TRUE(probe->Get(&Probe::caught));
}

TEST_F(WorkThreadsTest, CancelWithNoWorkerTakesOnePauseAndServesMessages) {
  bool served = false;
  main.Post([&] { served = true; });
  uint32_t start = system.tick;
  list.CancelAllAndWaitTermination(5000);
  EXPECT_EQ(system.tick - start, 500u);
  EXPECT_EQ(system.sleeps, 1);
  EXPECT_TRUE(served);
}

TEST_F(WorkThreadsTest, CancelEndsInTheCycleAfterTheWorkerLeft) {
  Start([](TestWorker& self, Probe& p) {
    while (!self.Terminated()) std::this_thread::sleep_for(1ms);
    p.Set(&Probe::stopSeen);
    p.WaitFlag(&Probe::release);
  });
  // The worker may leave only during the first pause, after the loop has seen it
  // registered: the wait must then end with the second cycle.
  system.onSleep = [&] {
    if (system.sleeps != 1) return;
    probe->Set(&Probe::release);
    ASSERT_TRUE(probe->WaitFlag(&Probe::destroyed));
  };
  uint32_t start = system.tick;
  list.CancelAllAndWaitTermination(5000);
  EXPECT_TRUE(probe->Get(&Probe::stopSeen));
  EXPECT_EQ(system.tick - start, 1000u);
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(WorkThreadsTest, CancelGivesUpAfterTheTimeoutEvenWhenTheCounterWraps) {
  const uint32_t starts[] = {1000u, 0xFFFFFFFFu - 700u, 0xFFFFFFFFu};
  for (uint32_t startTick : starts) {
    SCOPED_TRACE(startTick);
    probe = std::make_shared<Probe>();
    system.sleeps = 0;
    system.tick = startTick;
    StartStubborn();

    list.CancelAllAndWaitTermination(5000);
    EXPECT_EQ(static_cast<uint32_t>(system.tick - startTick), 5000u);
    EXPECT_EQ(system.sleeps, 10);
    EXPECT_EQ(list.Count(), 1);  // still running, and still registered

    probe->Set(&Probe::release);
    ASSERT_TRUE(probe->WaitFlag(&Probe::destroyed));
    EXPECT_TRUE(probe->Get(&Probe::stopSeen));
    EXPECT_EQ(list.Count(), 0);
  }
}

TEST_F(WorkThreadsTest, AWorkerBlockedInSynchronizeIsServedByTheWaitLoop) {
  main.onPost = [&] { probe->Set(&Probe::posted); };
  Start([](TestWorker& self, Probe& p) {
    while (!self.Terminated()) std::this_thread::sleep_for(1ms);
    self.Synchronize([&] {
      p.servedOn = std::this_thread::get_id();
      p.Set(&Probe::served);
    });
  });
  // Pause until the worker waits for the window thread, or until it is gone after
  // having been served: only the loop's message processing can serve it.
  system.onSleep = [&] { probe->WaitFor([&] { return probe->destroyed || (probe->posted && !probe->served); }); };
  uint32_t start = system.tick;
  list.CancelAllAndWaitTermination(5000);
  EXPECT_TRUE(probe->Get(&Probe::served));
  EXPECT_EQ(probe->servedOn, std::this_thread::get_id());
  EXPECT_TRUE(probe->Get(&Probe::destroyed));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_LT(system.tick - start, 5000u);
}

TEST_F(WorkThreadsTest, CancelTellsEveryRegisteredWorker) {
  auto first = std::make_shared<Probe>();
  auto second = std::make_shared<Probe>();
  auto stopAndLeave = [](TestWorker& self, Probe& p) {
    while (!self.Terminated()) std::this_thread::sleep_for(1ms);
    p.Set(&Probe::stopSeen);
  };
  StartWorker(new TestWorker(first, stopAndLeave), &list);
  StartWorker(new TestWorker(second, stopAndLeave), &list);
  system.onSleep = [&] {
    first->WaitFlag(&Probe::destroyed);
    second->WaitFlag(&Probe::destroyed);
  };
  list.CancelAllAndWaitTermination(5000);
  EXPECT_TRUE(first->Get(&Probe::stopSeen));
  EXPECT_TRUE(second->Get(&Probe::stopSeen));
  EXPECT_EQ(list.Count(), 0);
}

TEST(WorkThreadList, IndexedAccess) {
  TestWorker a(std::make_shared<Probe>(), nullptr);
  TestWorker b(std::make_shared<Probe>(), nullptr);
  TWorkThreadList list;
  EXPECT_EQ(list.Add(&a), 0);
  EXPECT_EQ(list.Add(&b), 1);
  EXPECT_EQ(list.Add(&a), 2);
  list.Remove(&a);  // the first occurrence only
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Get(0), &b);
  EXPECT_EQ(list.Get(1), &a);
  EXPECT_THROW(list.Get(2), std::out_of_range);
  EXPECT_EQ(a.WorkType(), work_tool);
}

}  // namespace
}  // namespace dw
