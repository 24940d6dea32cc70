#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/QueueMainThread.h"

namespace dw {

TEST(QueueMainThread, InvokeFromWorkerRunsOnPumpingThreadAndWaits) {
  QueueMainThread main;
  std::thread::id ranOn;
  bool finished = false;
  std::thread worker([&] {
    main.Invoke([&] { ranOn = std::this_thread::get_id(); });
    finished = true;
  });
  main.PumpUntil([&] { return ranOn != std::thread::id(); });
  worker.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_TRUE(finished);
}

TEST(QueueMainThread, InvokeOnOwnThreadRunsInline) {
  QueueMainThread main;
  int calls = 0;
  main.Invoke([&] { ++calls; });
  EXPECT_EQ(calls, 1);
}

}  // namespace dw
