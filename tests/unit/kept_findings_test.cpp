// What the user was shown survives the restart with administrator rights: the
// findings still on a present drive are listed again, once, and a tampered file
// lists nothing it should not.
#include <gtest/gtest.h>

#include "common/Text.h"
#include "engine/keptfindings.h"
#include "support/ScanHarness.h"

namespace dw::test {

namespace {

TEST(KeptFindings, TheFindingsStillThereAreListedAgainWithTheirReasons) {
  DriveFixture drive;
  ScanHarness h;
  drive.WriteFile(L"autorun.inf", "[autorun]\r\nopen=setup.exe\r\n");
  drive.WriteFile(L"setup.exe", "MZ");
  drive.WriteFile(L"gone.exe", "MZ", kAttrHidden | kAttrSystem);
  PdiskInfo record = h.Drive(drive);
  State().DriveList.Append(record);
  ASSERT_EQ(h.Scan(record), 3);
  const std::wstring setup = drive.Path(L"setup.exe"), gone = drive.Path(L"gone.exe");
  const std::optional<TFindingWhy> why = State().FindingReasons.Get(Threat, setup);
  ASSERT_TRUE(why);
  ASSERT_TRUE(KeepListedFindings());

  // The elevated run: a fresh state, the same drive, one file removed meanwhile.
  ASSERT_TRUE(Fs().Delete(gone));
  for (TThreadStringList* list : {&State().ThreatList, &State().RiskList, &State().FindingsSeen}) list->Clear();
  State().DriveList.Clear();
  record = h.Drive(drive);
  State().DriveList.Append(record);
  EXPECT_EQ(RelistKeptFindings(), 2);
  EXPECT_TRUE(State().ThreatList.Contains(setup));
  EXPECT_TRUE(State().ThreatList.Contains(drive.Path(L"autorun.inf.ren")));
  EXPECT_FALSE(State().RiskList.Contains(gone));
  EXPECT_TRUE(record->threat.Contains(setup));
  ASSERT_TRUE(State().FindingReasons.Get(Threat, setup));
  EXPECT_EQ(State().FindingReasons.Get(Threat, setup)->why, why->why);
  EXPECT_EQ(State().FindingsSeen.Count(), 2);
  // Read once: a later start lists nothing again.
  EXPECT_FALSE(Fs().Entry(KeptFindingsPath()));
  EXPECT_EQ(RelistKeptFindings(), 0);
}

TEST(KeptFindings, LinesThatAreNotTheProgramsOwnOrPathsOffTheDrivesListNothing) {
  DriveFixture drive;
  ScanHarness h;
  drive.WriteFile(L"setup.exe", "MZ");
  PdiskInfo record = h.Drive(drive);
  State().DriveList.Append(record);
  const std::string path = WideToUtf8(drive.Path(L"setup.exe"));
  const std::string lines = "7\t2\t\t" + path + "\n" +    // no such kind
                            "0\t250\t\t" + path + "\n" +  // no such reason
                            "0\t-1\t\t" + path + "\n" +   // not a number
                            "0\t2\t" + path + "\n" +      // a field missing
                            "0\t2\t\tq:\\setup.exe\n" +   // a drive that is not present
                            "0\t2\t\t" + path + "x\n" +   // no such file
                            "0\t2\t\t\n";                 // no path
  Fs().CreateFolder(State().DataFolder + L"config");
  ASSERT_TRUE(Fs().WriteAll(KeptFindingsPath(), lines));
  EXPECT_EQ(RelistKeptFindings(), 0);
  EXPECT_EQ(State().ThreatList.Count() + State().RiskList.Count(), 0);
}

}  // namespace

}  // namespace dw::test
