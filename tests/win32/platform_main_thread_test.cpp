#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/win32/Win32MainThread.h"

namespace dw {
namespace {

// Pumps the window thread's messages until done() holds.
template <typename Done>
void PumpUntil(MainThread& main, Done done) {
  while (!done()) {
    main.ProcessMessages();
    Sleep(1);
  }
}

TEST(Win32MainThread, InvokeRunsOnTheWindowThreadAndWaits) {
  Win32MainThread main;
  const DWORD windowThread = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    EXPECT_FALSE(main.IsCurrent());
    main.Invoke([&] { ranOn = GetCurrentThreadId(); });
    // Invoke came back only after the call ran.
    EXPECT_EQ(ranOn.load(), windowThread);
    returned = true;
  });
  PumpUntil(main, [&] { return returned.load(); });
  worker.join();
  EXPECT_EQ(ranOn.load(), windowThread);
}

TEST(Win32MainThread, InvokeOnTheWindowThreadRunsInline) {
  Win32MainThread main;
  EXPECT_TRUE(main.IsCurrent());
  int calls = 0;
  main.Invoke([&] { ++calls; });
  EXPECT_EQ(calls, 1);
}

TEST(Win32MainThread, PostedCallsRunInOrderWhenMessagesAreServed) {
  Win32MainThread main;
  std::vector<int> order;
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) main.Post([&order, i] { order.push_back(i); });
  });
  worker.join();
  EXPECT_TRUE(order.empty());
  main.ProcessMessages();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}

TEST(Win32MainThread, ExceptionsReachTheInvoker) {
  Win32MainThread main;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    EXPECT_THROW(main.Invoke([] { throw std::runtime_error("failed on the window thread"); }), std::runtime_error);
    done = true;
  });
  PumpUntil(main, [&] { return done.load(); });
  worker.join();
}

TEST(Win32MainThread, ProcessMessagesLeavesQuitToTheMessageLoop) {
  Win32MainThread main;
  PostQuitMessage(7);
  main.ProcessMessages();
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
}  // namespace dw
