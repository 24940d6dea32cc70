// The elevation request: only the first of a run asks the user and starts
// usbcmd.exe; an elevated run and a run that is ending never ask.
#include "state/Elevation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "common/Text.h"
#include "loc/LangLocStrings.h"
#include "platform/Platform.h"
#include "platform/QueueMainThread.h"
#include "state/SharedState.h"
#include "support/FakeSystem.h"
#include "support/ScopedProgramState.h"

namespace dw {
namespace {

class ElevationTest : public testing::Test {
 protected:
  ElevationTest() {
    State().UsbcmdPath = system.programFolder + L"usbcmd.exe";
    SetElevationExitHook([this] { ++endTimersArmed; });
  }
  test::ScopedProgramState programState;
  test::FakeSystem system;
  QueueMainThread main;
  ScopedPlatform platform{Platform{nullptr, nullptr, &system, nullptr, &main}};
  int endTimersArmed = 0;
};

TEST_F(ElevationTest, TheFirstRequestTellsTheUserStartsTheCompanionAndArmsTheEndTimer) {
  RequestElevation();
  RequestElevation();
  main.ProcessMessages();

  const auto boxes = system.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, FormatText(MsgElevationRequired, {L"Drivewarden"}));
  EXPECT_EQ(boxes[0].caption, MsgElevationTitle);
  EXPECT_EQ(boxes[0].type, kMbOk);
  const auto calls = system.ShellCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].owner, OwnerWindow::Application);
  EXPECT_EQ(calls[0].verb, L"open");
  EXPECT_EQ(calls[0].file, system.programFolder + L"usbcmd.exe");
  EXPECT_EQ(calls[0].parameters, L"/runAsadmin");
  EXPECT_EQ(calls[0].directory, system.programFolder);
  EXPECT_EQ(calls[0].show, kSwHide);
  EXPECT_EQ(endTimersArmed, 1);
  EXPECT_TRUE(State().StopRequested);
}

TEST_F(ElevationTest, WorkersFailingTogetherGiveOneQuestionAndOneStart) {
  constexpr int kWorkers = 8;
  std::atomic<int> ready{0};
  std::vector<std::thread> workers;
  for (int i = 0; i < kWorkers; ++i) {
    workers.emplace_back([&] {
      ++ready;
      while (ready.load() < kWorkers) std::this_thread::yield();
      RequestElevation();
    });
  }
  for (std::thread& worker : workers) worker.join();
  main.ProcessMessages();
  EXPECT_EQ(system.MessageBoxes().size(), 1u);
  EXPECT_EQ(system.ShellCalls().size(), 1u);
  EXPECT_EQ(endTimersArmed, 1);
}

TEST_F(ElevationTest, AnElevatedRunARunThatIsEndingOrTheScannerNeverAsks) {
  struct Case {
    const char* name;
    bool startedElevated;
    bool stopRequested;
    bool mayRequest;
  };
  for (const Case& c : {Case{"started with runasadmin", true, false, true}, Case{"ending", false, true, true},
                        Case{"command-line scanner", false, false, false}}) {
    SCOPED_TRACE(c.name);
    State().StartedElevated = c.startedElevated;
    State().StopRequested = c.stopRequested;
    State().MayRequestElevation = c.mayRequest;
    for (int i = 0; i < 3; ++i) RequestElevation();
    main.ProcessMessages();
    EXPECT_TRUE(system.MessageBoxes().empty());
    EXPECT_TRUE(system.ShellCalls().empty());
    EXPECT_EQ(endTimersArmed, 0);
  }
}

}  // namespace
}  // namespace dw
