// What reaches the system's event log: every logged kind it knows, through the
// call that writes the text entry, with its stable id, its level, the target and
// the target's drive; and the entries of the events the log records besides the
// findings (the protection switch, the elevation request).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "findings_fixture.h"
#include "state/Elevation.h"
#include "state/LogActions.h"
#include "state/logfile.h"
#include "support/RecordingEventLog.h"

namespace dw {
namespace {

using test::RecordingEventLog;
using test::ReportedEvent;
using E = EventLevel;

struct EventCase {
  const wchar_t* word;
  std::wstring target;
  std::vector<ReportedEvent> expected;
};

class LogEventsTest : public test::FindingsFixture {
 protected:
  LogEventsTest() : eventsGuard_(Platform{.events = &events}) {}
  RecordingEventLog events;

 private:
  ScopedPlatform eventsGuard_;
};

TEST_F(LogEventsTest, EachKindRaisesItsEventWithThePathAndTheDrive) {
  const std::wstring q = L"C:\\ProgramData\\Drivewarden\\quarantine\\";
  const EventCase cases[] = {
      {L"Menace/threat", L"e:\\run.exe", {{E::Warning, 100, {L"e:\\run.exe", L"E:\\"}}}},
      {L"Menace/riskFile", L"F:\\a b\\x.scr", {{E::Warning, 100, {L"F:\\a b\\x.scr", L"F:\\"}}}},
      {L"delete/threat", L"e:\\run.exe", {{E::Information, 200, {L"e:\\run.exe", L"E:\\"}}}},
      {L"delete/riskFile", L"e:\\x.scr", {{E::Information, 200, {L"e:\\x.scr", L"E:\\"}}}},
      {L"delete/AutoAction", L"e:\\run.exe", {{E::Information, 200, {L"e:\\run.exe", L"E:\\"}}}},
      {L"quarantine/AutoAction", L"e:\\run.exe", {{E::Information, 200, {L"e:\\run.exe", L"E:\\"}}}},
      {L"repair/quarantined", L"e:\\run.exe", {{E::Information, 200, {L"e:\\run.exe", L"E:\\"}}}},
      {L"delete/failed", L"e:\\run.exe", {{E::Error, 201, {L"e:\\run.exe", L"E:\\"}}}},
      {L"quarantine/failed", L"e:\\run.exe", {{E::Error, 201, {L"e:\\run.exe", L"E:\\"}}}},
      {L"quarantineRestoreTo", L"d:\\back\\", {{E::Information, 300, {L"d:\\back\\", L"D:\\"}}}},
      {L"quarantineRestoreTo/failed", L"d:\\back\\", {{E::Error, 301, {L"d:\\back\\", L"D:\\"}}}},
      // A stored name names no drive.
      {L"quarantineErase", L"run.exe.quarantine", {{E::Information, 400, {L"run.exe.quarantine", L""}}}},
      {L"quarantineEmptied", q, {{E::Information, 400, {q, L"C:\\"}}}},
      {L"quarantineErase/failed", L"run.exe.quarantine", {{E::Error, 401, {L"run.exe.quarantine", L""}}}},
      {L"repair/start", L"e:\\", {{E::Information, 500, {L"e:\\", L"E:\\"}}}},
      {L"repair/end", L"e:\\", {{E::Information, 501, {L"e:\\", L"E:\\"}}}},
      {L"repair/incomplete", L"e:\\", {{E::Warning, 502, {L"e:\\", L"E:\\"}}}},
      {L"repair/failed", L"e:\\_\\x (denied)", {{E::Error, 503, {L"e:\\_\\x (denied)", L"E:\\"}}}},
      {L"protection/on", L"", {{E::Information, 600, {L"", L""}}}},
      {L"protection/off", L"", {{E::Warning, 601, {L"", L""}}}},
      {L"elevation/request",
       L"C:\\Program Files\\Drivewarden\\usbcmd.exe",
       {{E::Information, 700, {L"C:\\Program Files\\Drivewarden\\usbcmd.exe", L"C:\\"}}}},
      {L"elevation/failed", L"usbcmd.exe", {{E::Error, 701, {L"usbcmd.exe", L""}}}},
      // What the user keeps no record of in the event log.
      {L"scan/start", L"e:\\", {}},
      {L"scan/end", L"e:\\", {}},
      {L"Menace/threatNoMore", L"e:\\run.exe", {}},
      {L"repair/moved", L"e:\\_\\a -> e:\\a", {}},
      {L"usb/vaccinated", L"e:\\", {}},
  };
  for (const EventCase& c : cases) {
    RecordingEventLog one;
    ScopedPlatform guard(Platform{.events = &one});
    State().Log->addItem(c.word, c.target);
    EXPECT_EQ(one.Events(), c.expected) << WideToUtf8(c.word);
  }
}

TEST_F(LogEventsTest, AnEntryTheFileCannotTakeStillRaisesItsEvent) {
  // No log file at all: the event log is then the only record.
  State().Log = std::make_unique<TLogFile>(L"\\\\?\\nowhere\\");
  ASSERT_FALSE(State().Log->IsOpen());
  State().Log->addItem(L"Menace/threat", L"e:\\run.exe");
  EXPECT_EQ(events.Events(), (std::vector<ReportedEvent>{{E::Warning, 100, {L"e:\\run.exe", L"E:\\"}}}));
}

TEST_F(LogEventsTest, TheProtectionSwitchIsLoggedAndRaisedBothWays) {
  Click(L"cprotectionControl");
  Click(L"cprotectionControl");
  EXPECT_EQ(LogText(), (std::vector<std::wstring>{L"protection/off ", L"protection/on "}));
  EXPECT_EQ(events.Events(),
            (std::vector<ReportedEvent>{{E::Warning, 601, {L"", L""}}, {E::Information, 600, {L"", L""}}}));
}

TEST_F(LogEventsTest, TheElevationRequestIsLoggedAndAFailedStartSaysSo) {
  State().UsbcmdPath = L"C:\\Program Files\\Drivewarden\\usbcmd.exe";
  system.shellStarts = false;
  RequestElevation();
  EXPECT_EQ(LogText(), std::vector<std::wstring>{L"elevation/failed " + State().UsbcmdPath});
  State().StopRequested = false;
  system.shellStarts = true;
  RequestElevation();
  EXPECT_EQ(LogText(), (std::vector<std::wstring>{L"elevation/failed " + State().UsbcmdPath,
                                                  L"elevation/request " + State().UsbcmdPath}));
  EXPECT_EQ(events.Events().back().id, kEventElevationRequested);
}

TEST_F(LogEventsTest, AScanIsFramedByItsStartAndItsEnd) {
  test::DriveFixture drive;
  PdiskInfo record = AddFixtureDrive(drive);
  ScanSilently(record);
  EXPECT_EQ(LogText(), (std::vector<std::wstring>{L"scan/start " + drive.root(), L"scan/end " + drive.root()}));
}

}  // namespace
}  // namespace dw
